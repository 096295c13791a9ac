#include "gui/about/helpviewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QStandardPaths>

#ifdef Q_OS_LINUX
#include <signal.h>
#include <sys/prctl.h>
#endif

namespace pirumoa {

HelpViewer::HelpViewer(QObject* parent)
    : QObject(parent),
      m_program(installedProgram()),
      m_collection(collectionFile()),
      m_process(this) {
    // Its complaints go where the program's own go; what it prints otherwise is of no use.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
#ifdef Q_OS_LINUX
    // Should the program be killed, the viewer goes with it all the same.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
}

HelpViewer::~HelpViewer() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool HelpViewer::show(const QString& keyword) {
    if (m_process.state() == QProcess::NotRunning) {
        if (m_program.isEmpty()) return false;
        QProcessEnvironment env = m_process.processEnvironment();
        if (env.isEmpty()) env = QProcessEnvironment::systemEnvironment();
        // The viewer's menus and tabs in Japanese: it picks its translations by the locale.
        env.insert(QStringLiteral("LANG"), QStringLiteral("ja_JP.UTF-8"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ja_JP.UTF-8"));
        env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("ja"));
        m_process.setProcessEnvironment(env);
        m_process.start(m_program, {QStringLiteral("-collectionFile"), m_collection,
                                    QStringLiteral("-enableRemoteControl")});
        if (!m_process.waitForStarted(10000)) return false;
    }
    m_process.write(commandLine(keyword));
    return true;
}

QString HelpViewer::installedProgram() {
    const QStringList names = {QStringLiteral("assistant"), QStringLiteral("assistant-qt6")};
    const QStringList qtBinaries = {QLibraryInfo::path(QLibraryInfo::BinariesPath)};
    for (const QString& name : names)
        if (QString path = QStandardPaths::findExecutable(name, qtBinaries); !path.isEmpty())
            return path;
    // Elsewhere an unversioned "assistant" may belong to an older Qt: the versioned one first.
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        if (QString path = QStandardPaths::findExecutable(*it); !path.isEmpty()) return path;
    return {};
}

QString HelpViewer::collectionFile() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/" PIRUMOA_HELP_DIR "/ナンバーズ4ピルモアL.qhc"));
}

QByteArray HelpViewer::commandLine(const QString& keyword) {
    // A keyword is one command's argument: it may neither end the line nor the command.
    QString k = keyword;
    for (QChar& c : k)
        if (c == QLatin1Char(';') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    // The index at the keyword, then the keyword's topic. A viewer that has just started is
    // still building its index and finds no keyword there yet; the topic is then found by
    // the identifier that every keyword of the help also has, which needs no index.
    return QStringLiteral("show index;activateKeyword %1;activateIdentifier %1\n").arg(k).toUtf8();
}

}  // namespace pirumoa
