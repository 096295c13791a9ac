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
        if (m_room < 1) grow(1);
        m_bytes.data()[m_size++] = c;
        --m_room;
        spill();
    }
    void put(std::string_view s) {
        const qsizetype n = qsizetype(s.size());
        if (m_room < n) grow(n);
        std::memcpy(m_bytes.data() + m_size, s.data(), s.size());
        m_size += n;
        m_room -= n;
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
        m_bytes.resize(m_size);
        m_size = m_room = 0;
        return std::move(m_bytes);
    }

private:
    static constexpr qsizetype kChunk = 1 << 16;
    void spill() {
        if (m_file && m_size >= kChunk) flush();
    }
    void flush();
    void grow(qsizetype need);

    std::FILE* m_file = nullptr;
    // Written up to m_size; m_room more bytes are allocated behind.
    QByteArray m_bytes;
    qsizetype m_size = 0;
    qsizetype m_room = 0;
    bool m_failed = false;
};

}  // namespace pirumoa
