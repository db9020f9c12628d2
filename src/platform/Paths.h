#pragma once

#include <QString>

// Kind of a path on disk: 0 none, 1 file, 2 folder.
enum PathKind { PathNone = 0, PathFile = 1, PathFolder = 2 };

PathKind fPathKind(const QString &path);
// True for an existing file or folder.
bool fFileExists(const QString &path);
// The text after the last "." of the path's file name, lower-cased; empty when there is none.
QString lowerExtension(const QString &path);
// What a file holds by its extension (lower-cased, as lowerExtension gives it).
enum class DocumentKind {
    None,
    Word,
    OpenDocument,
    WordBinary,
    Slides,
    OpenDocumentSlides,
    RichText
};
enum class WorkbookKind { None, OpenXml, Binary, OpenDocument, Csv };
// .docx .docm .dotx .dotm, .odt .ott, .doc .dot, .pptx .pptm .ppsx .ppsm .potx .potm,
// .odp .otp, .rtf
DocumentKind documentKindOf(const QString &lowerExt);
// .xlsx .xlsm .xltx .xltm, .xls, .ods .ots, .csv
WorkbookKind workbookKindOf(const QString &lowerExt);
// A workbook by its name alone: a CSV file is one only while the CSV toggle is down.
bool isWorkbookExtension(const QString &lowerExt);
bool isDocumentExtension(const QString &lowerExt);
// The text after the last "." of the whole path, as written; empty when there is none.
QString fGetExtension(const QString &path);
// The file name of a path (the text after the last separator).
QString fileNameOf(const QString &path);
// True for an address with an http, https or ftp scheme.
bool isWebAddress(const QString &path);

// The null device ("/dev/null"; "NUL" on Windows), which diff tools and git pass for the side
// of a file that does not exist: it stands for an empty side.
bool isNullDevice(const QString &path);
// A file's modification time as an unambiguous local date-time text ("2026/12/07 08:31:06").
QString modificationText(const QString &path);
