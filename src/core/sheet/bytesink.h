#pragma once

#include <QByteArray>
#include <QStringView>
#include <cstdio>
#include <string_view>

namespace pirumoa {

// Where a format puts its bytes as it makes them: into one byte array, or through a buffer
// of a few pages into an open file, so that an output of any size costs no more memory than
// the buffer. After the first failed write nothing more is written and finish() says so.
class ByteSink {
public:
    ByteSink() = default;  // collects everything; take() gives it
    explicit ByteSink(std::FILE* file) : m_file(file) { m_bytes.reserve(kChunk + 4096); }
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;

    void put(char c) {
        m_bytes.append(c);
        spill();
    }
    void put(std::string_view s) {
        m_bytes.append(s.data(), qsizetype(s.size()));
        spill();
    }
    void put(const char* s) { put(std::string_view(s)); }
    void put(const QByteArray& s) {
        m_bytes.append(s);
        spill();
    }
    void putUtf8(QStringView s) { put(s.toUtf8()); }
    void putNumber(long long v);

    // Writes what is left; false when any write to the file failed.
    bool finish();
    // The bytes collected (no file).
    QByteArray take() { return std::move(m_bytes); }

private:
    static constexpr qsizetype kChunk = 1 << 16;
    void spill() {
        if (m_file && m_bytes.size() >= kChunk) flush();
    }
    void flush();

    std::FILE* m_file = nullptr;
    QByteArray m_bytes;
    bool m_failed = false;
};

}  // namespace pirumoa
