#pragma once

#include <QByteArray>
#include <QStringView>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace pirumoa {

// Where a format puts its bytes as it makes them: into one byte array, or through a buffer
// of a few pages into an open file, so that an output of any size costs no more memory than
// the buffer. After the first failed write nothing more is written and finish() says so.
class ByteSink {
public:
    ByteSink() = default;  // collects everything; take() gives it
    explicit ByteSink(std::FILE* file) : m_file(file) {}
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;

    void put(char c) {
        if (m_at == m_end) grow(1);
        *m_at++ = c;
        spill();
    }
    void put(std::string_view s) {
        // Room for one byte more than asked, so that an empty sink grows before its first
        // copy (never a copy to a null pointer).
        if (m_end - m_at <= qsizetype(s.size())) grow(qsizetype(s.size()));
        std::memcpy(m_at, s.data(), s.size());
        m_at += s.size();
        spill();
    }
    void put(const char* s) { put(std::string_view(s)); }
    void put(const QByteArray& s) { put(std::string_view(s.constData(), std::size_t(s.size()))); }
    void putUtf8(QStringView s) { put(s.toUtf8()); }
    void putNumber(long long v);

    // Writes what is left; false when any write to the file failed.
    bool finish();
    // The bytes collected (no file).
    QByteArray take() {
        m_bytes.resize(m_at - m_begin);
        m_begin = m_at = m_end = nullptr;
        return std::move(m_bytes);
    }

private:
    static constexpr qsizetype kChunk = 1 << 16;
    void spill() {
        if (m_file && m_at - m_begin >= kChunk) flush();
    }
    void flush();
    void grow(qsizetype need);

    std::FILE* m_file = nullptr;
    // m_bytes from m_begin: written up to m_at, allocated up to m_end. Pointers rather than
    // sizes: a put then changes one of them, where two counts updated together cost a
    // stall of the store buffer on every cell of a large output.
    QByteArray m_bytes;
    char* m_begin = nullptr;
    char* m_at = nullptr;
    char* m_end = nullptr;
    bool m_failed = false;
};

}  // namespace pirumoa
