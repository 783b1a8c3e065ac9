#include "dialerkeyfaces.h"

namespace Dialer {

const KeyFace KeyFaces[KeyFaceCount] = {{'1', ""},     {'2', "ABC"}, {'3', "DEF"},  {'4', "GHI"},
                                        {'5', "JKL"},  {'6', "MNO"}, {'7', "PQRS"}, {'8', "TUV"},
                                        {'9', "WXYZ"}, {'*', ""},    {'0', "+"},    {'#', ""}};

} // namespace Dialer
