#pragma once

#include <QString>
#include <array>

namespace pirumoa {

// For each of ten analyses, whether the prediction reflects it ("反映する"). Index order is
// the order of the keys in the options file and of the option pairs in the window.
constexpr int kReflectOptionCount = 10;
using ReflectOptions = std::array<bool, kReflectOptionCount>;

// The key of option i in the file. Index 8 says "5分割" although its frame says "4分割":
// files in use carry this key, so it stays.
QString reflectOptionKey(int index);

// The analysis option i stands for, as the prediction window's frame names it.
QString reflectOptionCaption(int index);

// "ナンバーズ4ピルモア.ini", deliberately without a folder: the file lives in the current
// directory, not beside the program.
QString initFileName();

// Reads the options file over the given options. A line sets an option only when its key
// (the text before the first "=") is one of the ten keys exactly and its value (the text
// after that "=", up to any further "=") is "True"/"False" in any letter case or a number
// (0 is False) of at most 100 characters; every other line is skipped and the option keeps
// its value. A later line wins over an earlier one. The file may be UTF-8, with or without a
// byte-order mark, or CP932 as written on a Japanese Windows system. Returns false, leaving the
// options as they were, when the file is missing or cannot be read: start-up goes on without it.
bool readInitFile(ReflectOptions& options, const QString& path = initFileName());

// Writes the ten options in key order, "key=True" or "key=False", CR LF line ends, in the
// system's encoding. The old file is replaced only by a complete new one. Returns an empty
// string on success, otherwise a Japanese message naming the file and the reason; the old
// file is then untouched.
QString writeInitFile(const ReflectOptions& options, const QString& path = initFileName());

}  // namespace pirumoa
