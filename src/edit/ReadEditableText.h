#pragma once

#include "edit/EditableText.h"

#include <QByteArrayView>

#include <functional>

// Reading a side for editing: exactly the lines the comparison shows for the file (its bytes
// decoded and split as a comparison run does), each with its own end and, where its bytes
// read back as its text on their own, its place in the file's bytes, so that saving an
// untouched line writes those bytes back unchanged. A line whose bytes only mean its text in
// their context (a shift state carried in from the line before, an invalid sequence read
// differently alone) has no place and is written anew when saved.

// Reads the file at path in the named encoding, or the one detection names when empty.
// Throws FileReadError (FileTooLargeError beyond MaxComparedFileBytes) when it cannot be read;
// stop (may be empty) ends the read with FileReadError when it answers true.
EditableText readEditableText(const QString &path, const QString &encoding = QString(),
                              const std::function<bool()> &stop = {});

// The same for bytes in hand; the side then has no file behind it.
EditableText editableTextFromBytes(const QByteArray &bytes, const QString &encoding = QString());

// The hash of a file's bytes that tells a changed file from the one read.
size_t contentHash(QByteArrayView bytes);
