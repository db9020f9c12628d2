#pragma once

#include "engine/Workspace.h"

#include <QString>

#include <array>

// What a source designation names, decided per side.
enum class SourceKind {
    None,
    Folder,
    Hexadecimal,
    Workbook,
    Document,
    TextFile,
    WebAddress,
    Clipboard
};

// Classifies one side; `otherPath` matters for CSV files under the CSV toggle.
SourceKind sourceKind(const Workspace &ws, const QString &path, const QString &otherPath);

// One side of a request, classified once where the request comes in: everything later asks
// this value instead of looking at the path again.
struct Source {
    SourceKind kind = SourceKind::None;
    QString path;
    QString extension; // lower-cased, as lowerExtension gives it
    QString encoding;  // the encoding the user named for a text file; empty: detected

    // A file on disk, whatever it is read as.
    bool isFile() const {
        return kind == SourceKind::Hexadecimal || kind == SourceKind::Workbook ||
               kind == SourceKind::Document || kind == SourceKind::TextFile;
    }
};

Source classifySource(const Workspace &ws, const QString &path, const QString &otherPath,
                      const QString &encoding = {});

// The two sides of a comparison, left first.
using SourcePair = std::array<Source, 2>;

// Classifies both sides; a side takes the encoding the user named for its path
// (ws.chosenEncoding).
SourcePair classifySources(const Workspace &ws, const QString &path1, const QString &path2);
