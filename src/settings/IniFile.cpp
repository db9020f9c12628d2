#include "settings/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileReader.h"
#include "platform/NativePath.h"
#include "platform/ProgramPlace.h"

#include <cerrno>
#include <climits>
#include <optional>
#include <vector>

namespace {

// One line of the file as stored: its bytes without the line end, and the line end itself
// ("\r\n", "\n", or empty for a last line without one). Kept as bytes so that lines we do not
// change are written back exactly.
struct Line {
    QByteArray text;
    QByteArray eol;
};

struct Document {
    bool exists = false;
    QByteArray bom;
    std::vector<Line> lines;

    QByteArray bytes() const {
        QByteArray out = bom;
        for (const Line &l : lines)
            out += l.text + l.eol;
        return out;
    }

    // The line end new lines get: the file's own style, so a CRLF file stays CRLF.
    QByteArray eolStyle() const {
        for (const Line &l : lines) {
            if (!l.eol.isEmpty())
                return l.eol;
        }
#ifdef Q_OS_WIN
        return "\r\n";
#else
        return "\n";
#endif
    }
};

const QByteArray Utf8Bom("\xEF\xBB\xBF");
// Far beyond any settings file; only guards against reading something else whole.
constexpr qint64 MaxIniBytes = qint64(1) << 30;

// Empty optional: the file exists but could not be read (a write must then not replace it).
std::optional<Document> load(const QString &path) {
    Document doc;
    const WholeFile file = readWholeFile(path, MaxIniBytes);
    const bool missing = file.problem == FileProblem::NoName ||
                         (file.problem == FileProblem::Open &&
                          (file.errorNumber == ENOENT || file.errorNumber == ENOTDIR));
    if (missing)
        return doc;
    if (!file.ok())
        return std::nullopt;
    QByteArray all = file.bytes;
    doc.exists = true;
    if (all.startsWith(Utf8Bom)) {
        doc.bom = Utf8Bom;
        all.remove(0, Utf8Bom.size());
    }
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype nl = all.indexOf('\n', start);
        if (nl < 0) {
            doc.lines.push_back({all.mid(start), QByteArray()});
            break;
        }
        qsizetype end = nl;
        QByteArray eol("\n");
        if (end > start && all.at(end - 1) == '\r') {
            --end;
            eol = "\r\n";
        }
        doc.lines.push_back({all.mid(start, end - start), eol});
        start = nl + 1;
    }
    return doc;
}

bool save(const QString &path, const QByteArray &bytes) {
    return writeWholeFile(path, bytes).ok;
}

bool sameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The name of a section header line "[name]", or nothing.
std::optional<QString> sectionOf(const Line &line) {
    const QString t = QString::fromUtf8(line.text).trimmed();
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

struct KeyValue {
    QString key;
    QString value;
};

// The key and value of a "key=value" line; comments (";") and other lines give nothing.
std::optional<KeyValue> keyValueOf(const Line &line) {
    const QString t = QString::fromUtf8(line.text);
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    const QString key = t.left(eq).trimmed();
    if (key.isEmpty() || key.startsWith(u';'))
        return std::nullopt;
    return KeyValue{key, t.mid(eq + 1).trimmed()};
}

// Index of the first header line of the section, or -1.
qsizetype findSection(const Document &doc, const QString &section) {
    const QString wanted = section.trimmed();
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        const auto name = sectionOf(doc.lines[i]);
        if (name && sameName(*name, wanted))
            return qsizetype(i);
    }
    return -1;
}

// One past the last line that belongs to the section starting at header.
qsizetype sectionEnd(const Document &doc, qsizetype header) {
    qsizetype i = header + 1;
    while (i < qsizetype(doc.lines.size()) && !sectionOf(doc.lines[size_t(i)]))
        ++i;
    return i;
}

qsizetype findKey(const Document &doc, qsizetype header, const QString &key) {
    const QString wanted = key.trimmed();
    const qsizetype end = sectionEnd(doc, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto kv = keyValueOf(doc.lines[size_t(i)]);
        if (kv && sameName(kv->key, wanted))
            return i;
    }
    return -1;
}

std::optional<QString> readValue(const QString &section, const QString &key,
                                 const QString &iniPath) {
    const auto doc = load(iniPath);
    if (!doc || !doc->exists)
        return std::nullopt;
    const qsizetype header = findSection(*doc, section);
    if (header < 0)
        return std::nullopt;
    const qsizetype k = findKey(*doc, header, key);
    if (k < 0)
        return std::nullopt;
    return keyValueOf(doc->lines[size_t(k)])->value;
}

QString cutAtNul(const QString &s) {
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s : s.left(nul);
}

bool hasLineBreak(const QString &s) {
    return s.contains(u'\n') || s.contains(u'\r');
}

// Writes the document unless nothing changed (settings are written often at shut-down).
bool store(const Document &before, const Document &after, const QString &iniPath) {
    const QByteArray bytes = after.bytes();
    if (before.exists && bytes == before.bytes())
        return true;
    return save(iniPath, bytes);
}

} // namespace

QString gIniPath() {
    return settingsFilePath();
}

QString fReadIni(const QString &section, const QString &key, const QString &iniPath,
                 const QString &defaultValue) {
    const auto value = readValue(section, key, iniPath);
    return cutAtNul(value ? *value : defaultValue);
}

int readIniInt(const QString &section, const QString &key, int defaultValue,
               const QString &iniPath) {
    const auto value = readValue(section, key, iniPath);
    if (!value)
        return defaultValue;
    const QString &v = *value;
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == u'-' || v[i] == u'+')) {
        negative = v[i] == u'-';
        ++i;
    }
    // Accumulate beyond the int range in 64 bits, then stop growing: the result clamps.
    const qint64 limit = negative ? -qint64(INT_MIN) : qint64(INT_MAX);
    qint64 n = 0;
    for (; i < v.size() && v[i] >= u'0' && v[i] <= u'9'; ++i) {
        n = n * 10 + (v[i].unicode() - u'0');
        if (n > limit)
            n = limit;
    }
    return int(negative ? -n : n);
}

bool writeIni(const QString &section, const QString &key, const QString &value,
              const QString &iniPath) {
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    const QString text = cutAtNul(value);
    // Anything that would split the line or change its meaning on the next read.
    if (sectionName.isEmpty() || sectionName.contains(u']') || hasLineBreak(sectionName))
        return false;
    if (keyName.isEmpty() || keyName.contains(u'=') || keyName.startsWith(u'[') ||
        keyName.startsWith(u';') || hasLineBreak(keyName) || hasLineBreak(text))
        return false;

    const auto loaded = load(iniPath);
    if (!loaded)
        return false;
    Document doc = *loaded;
    const QByteArray eol = doc.eolStyle();
    auto terminateLast = [&doc, &eol] {
        if (!doc.lines.empty() && doc.lines.back().eol.isEmpty())
            doc.lines.back().eol = eol;
    };

    const qsizetype header = findSection(doc, sectionName);
    if (header < 0) {
        terminateLast();
        doc.lines.push_back({'[' + sectionName.toUtf8() + ']', eol});
        doc.lines.push_back({keyName.toUtf8() + '=' + text.toUtf8(), eol});
        return store(*loaded, doc, iniPath);
    }

    const qsizetype k = findKey(doc, header, keyName);
    if (k >= 0) {
        // Keep the key as spelled in the file; only the value changes.
        Line &line = doc.lines[size_t(k)];
        line.text = keyValueOf(line)->key.toUtf8() + '=' + text.toUtf8();
        return store(*loaded, doc, iniPath);
    }

    // A new key goes after the last non-blank line of its section, so blank lines that
    // separate it from the next section stay where they are.
    qsizetype at = header + 1;
    const qsizetype end = sectionEnd(doc, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (!doc.lines[size_t(i)].text.trimmed().isEmpty())
            at = i + 1;
    }
    if (doc.lines[size_t(at - 1)].eol.isEmpty())
        doc.lines[size_t(at - 1)].eol = eol;
    doc.lines.insert(doc.lines.begin() + at, Line{keyName.toUtf8() + '=' + text.toUtf8(), eol});
    return store(*loaded, doc, iniPath);
}
