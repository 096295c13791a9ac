#include "core/sheet/bytesink.h"

#include <algorithm>

namespace pirumoa {

void ByteSink::putNumber(long long v) {
    char digits[24];
    char* end = digits + sizeof digits;
    char* p = end;
    // Negated as unsigned: the smallest long long has no positive counterpart.
    unsigned long long u =
        v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    do {
        *--p = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0) *--p = '-';
    put(std::string_view(p, std::size_t(end - p)));
}

void ByteSink::grow(qsizetype need) {
    const qsizetype size = m_at - m_begin;
    const qsizetype capacity =
        std::max(size + need + 1, std::max<qsizetype>(2 * (m_end - m_begin), 4096));
    m_bytes.resize(capacity);
    m_begin = m_bytes.data();
    m_at = m_begin + size;
    m_end = m_begin + capacity;
}

void ByteSink::flush() {
    const std::size_t size = std::size_t(m_at - m_begin);
    if (!m_failed && size > 0 && std::fwrite(m_begin, 1, size, m_file) != size) m_failed = true;
    m_at = m_begin;
}

bool ByteSink::finish() {
    if (!m_file) return true;
    flush();
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) m_failed = true;
    return !m_failed;
}

}  // namespace pirumoa
