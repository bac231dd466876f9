#pragma once
// Byte and character buffers and hex text shared by every template reader.
#include "vantrel_kxe21_console_export.h"
#include <QString>

class VANTREL_CONSOLE_EXPORT CMem
{
public:
    // New buffers are zero-filled; false (pointer unchanged) for n < 0 or no memory.
    static bool NewByte(unsigned char** p, int n);
    static bool NewChar(char** p, int n);
    static bool NewBytePtr(unsigned char*** p, int n);
    static void DeleteByte(unsigned char* p);
    static void DeleteChar(char* p);
    static void DeleteBytePtr(unsigned char** p);
    // The value of one hex digit of either case, or -1.
    static int HexDigit(char c);
    // n bytes from 2n hex digits, pair by pair; bytes past the end of the text, or
    // from a pair that is not hex, are 0. Returns the number of bytes read from text.
    static int SetByte(const char* hex, unsigned char* out, int n);
    // Copies at most n characters; the last of the n is always a terminating zero.
    static void SetChar(const char* src, char* dst, int n);
    static bool NewSetByte(const char* hex, unsigned char** p, int n);
    static bool NewSetChar(const char* src, char** p, int n);
    // Upper-case hex, two digits per byte; spaced: a blank after every byte.
    static QString GetByteToStr(const unsigned char* bytes, int n, bool spaced);
};
