#include "platform/CompoundFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>

#include <mutex>

namespace {

const QByteArray OleMagic = QByteArray::fromHex("d0cf11e0a1b11ae1");

void ignoreMessage(const gchar *, GLogLevelFlags, const gchar *, gpointer) {}

// libgsf complains on stderr about the damaged files it refuses; the refusal is what we use.
void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        for (const char *domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(domain, GLogLevelFlags(G_LOG_LEVEL_MASK), ignoreMessage, nullptr);
    });
}

} // namespace

CompoundFile::~CompoundFile() {
    if (m_root)
        g_object_unref(m_root);
}

bool CompoundFile::open(const QByteArray &bytes) {
    initialiseOnce();
    if (m_root)
        g_object_unref(m_root);
    m_root = nullptr;
    if (!isCompoundFile(bytes))
        return false;
    GsfInput *input = gsf_input_memory_new(reinterpret_cast<const guint8 *>(bytes.constData()),
                                           gsf_off_t(bytes.size()), FALSE);
    if (!input)
        return false;
    GError *error = nullptr;
    m_root = gsf_infile_msole_new(input, &error);
    g_object_unref(input); // the container keeps its own reference
    if (error)
        g_error_free(error);
    return m_root != nullptr;
}

std::optional<QByteArray> CompoundFile::stream(const char *name, qint64 maxBytes) const {
    if (!m_root)
        return std::nullopt;
    const int index = indexOf(name);
    GsfInput *child = index >= 0 ? gsf_infile_child_by_index(m_root, index) : nullptr;
    if (!child)
        return std::nullopt;
    std::optional<QByteArray> data;
    const gsf_off_t size = gsf_input_size(child);
    if (size >= 0 && size <= maxBytes) {
        QByteArray bytes(qsizetype(size), Qt::Uninitialized);
        if (size == 0 || gsf_input_read(child, size_t(size),
                                        reinterpret_cast<guint8 *>(bytes.data())) != nullptr)
            data = std::move(bytes);
    }
    g_object_unref(child);
    return data;
}

bool CompoundFile::hasStream(const char *name) const {
    return indexOf(name) >= 0;
}

// Writers differ in the case of the names ("WordDocument", "worddocument"); the container's
// own lookup is exact, so the names are compared here without case.
int CompoundFile::indexOf(const char *name) const {
    const int count = m_root ? gsf_infile_num_children(m_root) : 0;
    for (int i = 0; i < count; ++i) {
        const char *childName = gsf_infile_name_by_index(m_root, i);
        if (childName && g_ascii_strcasecmp(childName, name) == 0)
            return i;
    }
    return -1;
}

bool isCompoundFile(const QByteArray &bytes) {
    return bytes.startsWith(OleMagic);
}
