#pragma once

namespace Dialer {

// The twelve keys of a phone keypad, row by row, with the letters printed under the digits:
// shared by the dialer's keypad and the call screen's tone keypad, which must look alike.
struct KeyFace
{
    char character;
    const char *letters;
};

const int KeyFaceCount = 12;
extern const KeyFace KeyFaces[KeyFaceCount];

} // namespace Dialer
