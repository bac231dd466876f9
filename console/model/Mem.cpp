#include "Mem.h"

#include <cstring>
#include <new>

bool CMem::NewByte(unsigned char** p, int n)
{
    if (!p || n < 0)
        return false;
    unsigned char* b = new (std::nothrow) unsigned char[size_t(n > 0 ? n : 1)]();
    if (!b)
        return false;
    *p = b;
    return true;
}

bool CMem::NewChar(char** p, int n)
{
    if (!p || n < 0)
        return false;
    char* b = new (std::nothrow) char[size_t(n > 0 ? n : 1)]();
    if (!b)
        return false;
    *p = b;
    return true;
}

bool CMem::NewBytePtr(unsigned char*** p, int n)
{
    if (!p || n < 0)
        return false;
    unsigned char** b = new (std::nothrow) unsigned char*[size_t(n > 0 ? n : 1)]();
    if (!b)
        return false;
    *p = b;
    return true;
}

void CMem::DeleteByte(unsigned char* p)
{
    delete[] p;
}

void CMem::DeleteChar(char* p)
{
    delete[] p;
}

void CMem::DeleteBytePtr(unsigned char** p)
{
    delete[] p;
}

int CMem::HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int CMem::SetByte(const char* hex, unsigned char* out, int n)
{
    if (!out || n <= 0)
        return 0;
    int read = 0;
    bool ended = !hex;
    for (int i = 0; i < n; ++i) {
        out[i] = 0;
        if (ended)
            continue;
        const char c0 = hex[2 * i];
        if (!c0) {
            ended = true;
            continue;
        }
        const char c1 = hex[2 * i + 1];
        if (!c1) {
            ended = true;  // a lone last digit reads as one-digit hex
            const int d = HexDigit(c0);
            out[i] = d < 0 ? 0 : (unsigned char)d;
            ++read;
            continue;
        }
        const int h = HexDigit(c0);
        const int l = HexDigit(c1);
        if (h >= 0 && l >= 0)
            out[i] = (unsigned char)(h * 16 + l);
        else if (h >= 0)
            out[i] = (unsigned char)h;
        ++read;
    }
    return read;
}

void CMem::SetChar(const char* src, char* dst, int n)
{
    if (!dst || n <= 0)
        return;
    const size_t len = src ? strnlen(src, size_t(n - 1)) : 0;
    if (len)
        std::memcpy(dst, src, len);
    std::memset(dst + len, 0, size_t(n) - len);
}

bool CMem::NewSetByte(const char* hex, unsigned char** p, int n)
{
    if (!NewByte(p, n))
        return false;
    SetByte(hex, *p, n);
    return true;
}

bool CMem::NewSetChar(const char* src, char** p, int n)
{
    if (!NewChar(p, n))
        return false;
    SetChar(src, *p, n);
    return true;
}

QString CMem::GetByteToStr(const unsigned char* bytes, int n, bool spaced)
{
    static const char digits[] = "0123456789ABCDEF";
    QString s;
    if (!bytes || n <= 0)
        return s;
    s.reserve(n * (spaced ? 3 : 2));
    for (int i = 0; i < n; ++i) {
        s += QLatin1Char(digits[bytes[i] >> 4]);
        s += QLatin1Char(digits[bytes[i] & 0x0F]);
        if (spaced)
            s += QLatin1Char(' ');
    }
    return s;
}
