#pragma once

#include <QString>

// The scrambled form in which the path history lists are stored in setting.ini: each byte of
// the text's UTF-16LE form, XORed with a fixed key, as "&" followed by upper-case hex without
// leading zeros. "ab" becomes "&3B&5A&38&5A".

// The empty text encodes to the empty text.
QString fEncodeSetting(const QString &text);

// Reverses fEncodeSetting. Hand-edited values never fail: pieces that are not a hex byte are
// dropped together with the other byte of their character, and an odd last byte is dropped.
QString fDecodeSetting(const QString &encoded);
