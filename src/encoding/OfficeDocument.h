#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Texts of the document reader. Every failure reads "文書を読めません: <reason>".
namespace DocumentText {
inline const QString CannotRead = QStringLiteral("文書を読めません: ");
inline const QString NotDocument = QStringLiteral("文書の形式ではありません");
inline const QString UnknownKind = QStringLiteral("対応していない種類の文書です");
inline const QString NoConverter = QStringLiteral("変換プログラム antiword がありません");
inline const QString ConverterFailed = QStringLiteral("変換に失敗しました");
inline const QString ConverterTimeout = QStringLiteral("変換が時間内に終わりません");
inline const QString ConverterStopped = QStringLiteral("中断しました");
} // namespace DocumentText

// The whole text of a word-processor document, one line per paragraph in document order,
// lines joined with LF:
// - .docx: the main document part; table cells in order, each cell's paragraphs as lines;
//   tabs and manual breaks kept; deleted (tracked) text left out, inserted text kept;
// - .odt: paragraphs and headings of the body, tables cell by cell, lists item by item;
// - .doc: through the antiword program.
// The kind is chosen by the extension (case-insensitive). Nothing, with
// "文書を読めません: <reason>" in *error (when given), for a missing, damaged, encrypted or
// oversized document, or a .doc without a working converter. stop (may be empty) is asked
// while the converter runs, at least every 50 ms; true ends it ("中断しました").
std::optional<QString> readDocumentText(const QString &path, QString *error,
                                        const std::function<bool()> &stop = {});

// Runs a converter program (arguments as a list, no shell) and returns its standard output
// decoded as UTF-8 with line ends normalised to LF. Nothing, with the reason in *error, when
// the program cannot be started, exits with a non-zero status or a signal, writes more than
// maxOutputBytes, or does not finish within timeoutMs, or stop (may be empty; asked at least
// every 50 ms) answers true. The program is then killed. sharedFile: a descriptor the program
// inherits (see runProgram).
std::optional<QString> runConverter(const QString &program, const QStringList &arguments,
                                    int timeoutMs, QString *error,
                                    qint64 maxOutputBytes = qint64(256) * 1024 * 1024,
                                    const std::function<bool()> &stop = {}, int sharedFile = -1);
