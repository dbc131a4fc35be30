#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// Text for the rules that read QString, made from the fuzzer's bytes in one of three ways so
// that every kind of character turns up: UTF-8 (what files and names hold), Latin-1 (every
// control character and blank below 0x100, one byte each), UTF-16 (any code unit, lone
// surrogates too).
inline QString fuzzText(std::uint8_t how, const std::uint8_t *data, std::size_t size)
{
    const auto *chars = reinterpret_cast<const char *>(data);
    const auto n = static_cast<qsizetype>(size);
    switch (how % 3) {
    case 0:
        return QString::fromUtf8(chars, n);
    case 1:
        return QString::fromLatin1(chars, n);
    default: {
        QString text;
        for (qsizetype i = 0; i + 1 < n; i += 2)
            text += QChar(char16_t(data[i] | (data[i + 1] << 8)));
        return text;
    }
    }
}
