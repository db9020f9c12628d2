#include "folder/SearchFileContent.h"

#include "encoding/Charset.h"
#include "encoding/DecodeText.h"
#include "encoding/DetectEncoding.h"
#include "folder/FolderTexts.h"
#include "folder/modMD5.h"
#include "platform/FileReader.h"
#include "platform/NativePath.h"
#include "platform/RegularFile.h"
#include "platform/SplitSizes.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

namespace {

constexpr qint64 BlockSize = qint64(1) << 18;
constexpr qint64 StopPollMs = 20;
// Texts of pairs larger than this are compared by the calling thread only, so that no more
// than one large pair is held decoded at a time.
constexpr quint64 LargeTextBytes = quint64(32) << 20;

enum class Bytes { Same, Different, Failed };

// Compares two files block by block. Failed when either cannot be opened or read: the caller
// then takes the slower way that names the problem.
Bytes compareBytes(const QString &left, const QString &right, const std::function<bool()> &stop) {
    RegularFile a;
    RegularFile b;
    if (!a.open(left) || !b.open(right))
        return Bytes::Failed;
    // Kept between calls: a folder of small files would otherwise allocate twice per pair.
    thread_local const std::unique_ptr<char[]> blockA(new char[BlockSize]);
    thread_local const std::unique_ptr<char[]> blockB(new char[BlockSize]);
    QElapsedTimer sinceAsked;
    sinceAsked.start();
    while (true) {
        if (stop && sinceAsked.hasExpired(StopPollMs)) {
            if (stop())
                throw StoppedInFile{};
            sinceAsked.restart();
        }
        const qint64 gotA = a.read(blockA.get(), BlockSize);
        const qint64 gotB = b.read(blockB.get(), BlockSize);
        if (gotA < 0 || gotB < 0)
            return Bytes::Failed;
        if (gotA != gotB || std::memcmp(blockA.get(), blockB.get(), size_t(gotA)) != 0)
            return Bytes::Different;
        if (gotA < BlockSize)
            return Bytes::Same;
    }
}

QString digestOf(const QString &path, const std::function<bool()> &stop) {
    QString digest;
    try {
        digest = GetFileMD5HashCode(path, modMD5::DefaultBlockSize, stop);
    } catch (const Md5Error &e) {
        throw ReadProblem{QStringLiteral("読み込めません: %1 (%2)").arg(path, e.description)};
    }
    if (digest.isEmpty())
        throw StoppedInFile{};
    return digest;
}

// The note of a pair whose texts were not compared: its bytes were, so nothing is unreadable.
QString tooLargeNote(const QString &path) {
    return FolderTexts::NotComparedAsText + QStringLiteral(": ") + path;
}

// The file's text; notes the file and gives nothing when it is beyond the size limit.
std::optional<QString> textOfFile(const QString &path, const std::function<bool()> &stop,
                                  QStringList *notes) {
    const WholeFile file = readWholeFile(path, MaxComparedFileBytes, stop);
    if (file.problem == FileProblem::Stopped)
        throw StoppedInFile{};
    if (file.problem == FileProblem::TooLarge) {
        notes->append(tooLargeNote(path));
        return std::nullopt;
    }
    if (!file.ok())
        throw ReadProblem{file.problemText(path)};
    return file.bytes.isEmpty() ? QString() : decodeText(file.bytes).text;
}

ContentCheck compareTexts(const QString &left, quint64 leftSize, const QString &right,
                          quint64 rightSize, const std::function<bool()> &stop) {
    // The same bytes always decode to the same text, whatever their size.
    if (leftSize == rightSize && compareBytes(left, right, stop) == Bytes::Same)
        return {};
    QStringList notes;
    for (const auto &[path, size] : {std::pair{left, leftSize}, {right, rightSize}}) {
        if (size > quint64(MaxComparedFileBytes))
            notes.append(tooLargeNote(path));
    }
    if (!notes.isEmpty())
        return {true, notes.join(QStringLiteral(", "))};
    // One side's bytes at a time: the left text, then the right file and its text.
    const std::optional<QString> leftText = textOfFile(left, stop, &notes);
    if (!leftText)
        return {true, notes.join(QStringLiteral(", "))};
    const std::optional<QString> rightText = textOfFile(right, stop, &notes);
    if (!rightText)
        return {true, notes.join(QStringLiteral(", "))};
    return {*leftText != *rightText, {}};
}

} // namespace

ContentCheck compareContents(int mode, const QString &left, quint64 leftSize, const QString &right,
                             quint64 rightSize, const std::function<bool()> &stop) {
    if (mode == 2)
        return compareTexts(left, leftSize, right, rightSize, stop);
    // Files of different lengths cannot have the same bytes: no need to read.
    if (leftSize != rightSize)
        return {true, {}};
    switch (compareBytes(left, right, stop)) {
    case Bytes::Same:
        return {};
    case Bytes::Different:
        return {true, {}};
    case Bytes::Failed:
        break;
    }
    // A file that cannot be read: the digests name it as they always have.
    return {digestOf(left, stop) != digestOf(right, stop), {}};
}

ContentComparer::ContentComparer(int mode, const QString &leftFolder, const QString &rightFolder,
                                 std::vector<ContentJob> jobs, const std::atomic<bool> &abort)
    : m_mode(mode), m_folders{leftFolder, rightFolder}, m_jobs(std::move(jobs)), m_abort(abort),
      m_outcomes(m_jobs.size() / 2) {
    if (m_jobs.size() < std::max<size_t>(2, splitSizes().contentPairs))
        return;
    m_work = Background::split([this] { work(); });
}

ContentComparer::~ContentComparer() {
    m_quit = true; // m_work goes first of the members and waits for the half
}

void ContentComparer::work() {
    const std::function<bool()> stop = [this] { return m_quit.load() || m_abort.load(); };
    for (size_t i = 1; i < m_jobs.size() && !stop(); i += 2) {
        Outcome outcome;
        const ContentJob &job = m_jobs[i];
        if (m_mode == 2 && std::max(job.leftSize, job.rightSize) > LargeTextBytes) {
            outcome.leftToCaller = true;
        } else {
            try {
                outcome.check = compare(i, stop);
            } catch (...) {
                outcome.error = std::current_exception();
            }
        }
        outcome.ready = true;
        const bool failed = bool(outcome.error);
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_outcomes[i / 2] = std::move(outcome);
        }
        m_done.notify_all();
        if (failed)
            break; // the caller stops at this job: later ones are never asked for
    }
    // Jobs given up are answered as stopped, so that result() never waits for them. (Not
    // by an outcome each: a stop early in a million pairs would make as many exceptions.)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_workEnded = true;
    }
    m_done.notify_all();
}

ContentCheck ContentComparer::result(size_t i, const std::function<bool()> &stop) {
    if (i % 2 == 0 || !m_work.valid())
        return compare(i, stop);
    Outcome outcome;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [&] { return m_outcomes[i / 2].ready || m_workEnded; });
        if (!m_outcomes[i / 2].ready)
            throw StoppedInFile{};
        outcome = std::move(m_outcomes[i / 2]);
    }
    if (outcome.error)
        std::rethrow_exception(outcome.error);
    if (outcome.leftToCaller)
        return compare(i, stop);
    return outcome.check;
}

ContentCheck ContentComparer::compare(size_t i, const std::function<bool()> &stop) const {
    const ContentJob &job = m_jobs[i];
    const QString name = job.name.toString();
    return compareContents(m_mode, fJoinPath(m_folders[0], name), job.leftSize,
                           fJoinPath(m_folders[1], name), job.rightSize, stop);
}
