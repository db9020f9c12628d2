#pragma once

#include <QString>

#include <functional>
#include <optional>

// Texts of the document reader. Every failure reads "文書を読めません: <reason>".
namespace DocumentText {
inline const QString CannotRead = QStringLiteral("文書を読めません: ");
inline const QString NotDocument = QStringLiteral("文書の形式ではありません");
inline const QString UnknownKind = QStringLiteral("対応していない種類の文書です");
inline const QString OldWordFormat = QStringLiteral("Word 95 以前の形式には対応していません");
inline const QString Stopped = QStringLiteral("中断しました");
} // namespace DocumentText

// The whole text of a word-processor document, one line per paragraph in document order,
// lines joined with LF:
// - .docx: the main document part; table cells in order, each cell's paragraphs as lines;
//   tabs and manual breaks kept; deleted (tracked) text left out, inserted text kept;
//   symbol-font characters (w:sym, and in a .doc) as their Unicode characters;
// - .odt: paragraphs and headings of the body, tables cell by cell, lists item by item;
// - .doc/.dot: the Word 97–2003 binary format, read in-process (see readWordBinary);
// - presentations (.pptx and its kin, .odp, .otp) slide by slide, see SlidesDocument.h;
// - .rtf, see readRichText.
// The kind is chosen by the extension (case-insensitive, see isDocumentExtension), unless the
// first bytes say otherwise: a compound file or a Word 2 file under a .docx/.docm name is read
// as .doc, a zip package under a .doc or .rtf name as .docx, RTF under a .doc or .docx name as
// RTF, a compound file under an .rtf name as .doc. Nothing,
// with "文書を読めません: <reason>" in *error (when given), for a missing, damaged, encrypted,
// oversized or unsupported document. stop (may be empty) is asked while a .doc file is read,
// at least every 50 ms; true ends the read ("中断しました").
std::optional<QString> readDocumentText(const QString &path, QString *error,
                                        const std::function<bool()> &stop = {});

// The content part of an OpenDocument package (.odt, .odp), or nothing with *reason (when
// given) saying why: damaged, missing, or encrypted (its parts are ciphertext).
std::optional<QByteArray> readOdfContent(const QString &path, QString *reason);
