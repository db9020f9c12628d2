#include "platform/EditorCommand.h"

#include "platform/DetachedProgram.h"

namespace {

#ifdef Q_OS_WIN
constexpr bool BackslashEscapes = false;
#else
constexpr bool BackslashEscapes = true;
#endif

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Characters a backslash escapes inside double quotes.
bool escapedInDoubleQuotes(QChar c) {
    return c == u'\\' || c == u'"' || c == u'$' || c == u'`';
}

// Every placeholder of one word replaced in a single pass, so a path holding "%L" or "%f"
// is inserted as it is and never substituted again.
QString substitute(const QString &word, const QString &path, const QString &lineNumber) {
    QString out;
    out.reserve(word.size());
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar c = word[i];
        const QChar next = i + 1 < word.size() ? word[i + 1] : QChar();
        if (c == u'%' && (next == u'F' || next == u'f')) {
            out += path;
            ++i;
        } else if (c == u'%' && (next == u'L' || next == u'l')) {
            out += lineNumber;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::optional<QStringList> splitCommandWords(const QString &commandLine) {
    QStringList words;
    QString word;
    bool inWord = false; // also true for an empty quoted word ("")
    const qsizetype n = commandLine.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = commandLine[i];
        if (isBlank(c)) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\'') {
            const qsizetype close = commandLine.indexOf(u'\'', i + 1);
            if (close < 0)
                return std::nullopt;
            word += commandLine.mid(i + 1, close - i - 1);
            i = close;
        } else if (c == u'"') {
            for (++i;; ++i) {
                if (i >= n)
                    return std::nullopt;
                const QChar q = commandLine[i];
                if (q == u'"')
                    break;
                if (BackslashEscapes && q == u'\\' && i + 1 < n &&
                    escapedInDoubleQuotes(commandLine[i + 1]))
                    ++i;
                word += commandLine[i];
            }
        } else if (BackslashEscapes && c == u'\\') {
            if (++i >= n)
                return std::nullopt;
            word += commandLine[i];
        } else {
            word += c;
        }
    }
    if (inWord)
        words << word;
    return words;
}

QStringList editorCommand(const QString &templateText, const QString &path,
                          const QString &lineNumber) {
    const std::optional<QStringList> words = splitCommandWords(templateText);
    if (!words)
        return {};
    QStringList command;
    for (const QString &word : *words)
        command << substitute(word, path, lineNumber);
    return command;
}

bool startCommand(const QStringList &command) {
    if (command.isEmpty() || command.front().isEmpty())
        return false;
    // Exact bytes: a file name that is not UTF-8 reaches the editor as the file system spells it.
    return startDetachedProgram(command.front(), command.mid(1));
}

QString quoteCommandWord(const QString &word) {
    const std::optional<QStringList> asIs = splitCommandWords(word);
    if (!word.isEmpty() && asIs && *asIs == QStringList{word})
        return word;
#ifdef Q_OS_WIN
    return u'"' + word + u'"'; // Windows names hold no double quote
#else
    QString quoted = word;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
#endif
}

QString defaultEditorCommand() {
#ifdef Q_OS_WIN
    return QStringLiteral("notepad %F");
#else
    return QStringLiteral("xdg-open %F");
#endif
}
