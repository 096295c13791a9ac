#include "core/prediction/options.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cmath>

#include "core/store/fileerror.h"
#include "core/store/labels.h"

namespace pirumoa {

namespace {

constexpr qsizetype kLongestValue = 100;

const std::array<QString, kReflectOptionCount>& keys() {
    static const std::array<QString, kReflectOptionCount> k{
        QStringLiteral("頻度分析Opt"),      QStringLiteral("間隔分析Opt"),
        QStringLiteral("出現回数分析Opt"),  QStringLiteral("バラツキ分析Opt"),
        QStringLiteral("引っ張り分析Opt"),  QStringLiteral("連番飛び石分析Opt"),
        QStringLiteral("数字合計分析Opt"),  QStringLiteral("組合せパターン分析Opt"),
        QStringLiteral("5分割傾向分析Opt"), QStringLiteral("分割データ分析Opt"),
    };
    return k;
}

// A file carried over from a Japanese Windows system is CP932; anything that is valid UTF-8
// is taken as UTF-8 (the Japanese keys in CP932 never are).
QString decode(QByteArray bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder cp932("CP932");
    if (cp932.isValid()) return cp932(bytes);
    return text;
}

// "True"/"False" in any letter case, or a number: zero is False, any other number True.
bool toBoolean(QStringView value, bool* result) {
    const QStringView v = value.trimmed();
    if (v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        *result = true;
        return true;
    }
    if (v.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        *result = false;
        return true;
    }
    bool ok = false;
    const double number = QLocale::c().toDouble(v, &ok);
    if (!ok || !std::isfinite(number)) return false;
    *result = number != 0;
    return true;
}

void readLine(QStringView line, ReflectOptions& options) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) return;
    const QStringView key = line.left(eq);
    QStringView value = line.mid(eq + 1);
    const qsizetype next = value.indexOf(QLatin1Char('='));
    if (next >= 0) value = value.left(next);
    // "True", "False" or a number: anything longer is not worth reading.
    if (value.size() > kLongestValue) return;
    for (int i = 0; i < kReflectOptionCount; ++i) {
        if (key != keys()[i]) continue;
        bool on;
        if (toBoolean(value, &on)) options[i] = on;
        return;
    }
}

}  // namespace

QString reflectOptionKey(int index) {
    return index >= 0 && index < kReflectOptionCount ? keys()[index] : QString();
}

QString reflectOptionCaption(int index) {
    static const std::array<QString, kReflectOptionCount> captions{
        QStringLiteral("■頻度分析（出現頻度分析）"),
        QStringLiteral("■間隔分析（出現間隔分析）"),
        QStringLiteral("■出現回数分析"),
        QStringLiteral("■バラツキ分析"),
        QStringLiteral("■引っ張り分析"),
        QStringLiteral("■連番・飛び石分析"),
        QStringLiteral("■数字合計分析"),
        QStringLiteral("■組合せパターン分析"),
        QStringLiteral("■4分割傾向分析"),
        QStringLiteral("■分割データ分析"),
    };
    return index >= 0 && index < kReflectOptionCount ? captions[index] : QString();
}

QString initFileName() { return QStringLiteral("ナンバーズ4ピルモア.ini"); }

bool readInitFile(ReflectOptions& options, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;

    // Apply to a copy so that a file that turns out unreadable changes nothing.
    ReflectOptions read = options;
    const QString text = decode(bytes);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\r') &&
               text[end] != QLatin1Char('\n'))
            ++end;
        readLine(QStringView(text).mid(start, end - start), read);
        if (end < text.size() && text[end] == QLatin1Char('\r') && end + 1 < text.size() &&
            text[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    options = read;
    return true;
}

QString writeInitFile(const ReflectOptions& options, const QString& path) {
    QString text;
    for (int i = 0; i < kReflectOptionCount; ++i)
        text += keys()[i] + QLatin1Char('=') +
                (options[i] ? QLatin1String("True") : QLatin1String("False")) +
                QLatin1String("\r\n");
    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder(text);

    const QString error = writeFileAtomically(path, bytes);
    if (error.isEmpty()) return QString();
    return QStringLiteral("オプションファイル%1を保存できませんでした。\n%2")
        .arg(quoted(QFileInfo(path).absoluteFilePath()), error);
}

}  // namespace pirumoa
