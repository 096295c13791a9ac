#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

namespace pirumoa {

// The help viewer (Qt Assistant) on the program's help collection, run as a process of its
// own and driven through its remote control on standard input. Qt's help engine and its SQL
// driver bring the system's SQLite, which must never be loaded beside SQLCipher: so the help
// is never opened in the program's own process.
class HelpViewer : public QObject {
    Q_OBJECT
public:
    explicit HelpViewer(QObject* parent = nullptr);
    // The viewer ends with the program.
    ~HelpViewer() override;

    // Shows the index at the keyword, then the keyword's topic; the viewer is started the
    // first time, and again after the user closed it. False when it cannot be started. A
    // missing collection or keyword is the viewer's to report.
    bool show(const QString& keyword);

    // The viewer to start: the installed one unless set otherwise (tests use a stand-in).
    void setProgram(const QString& program) { m_program = program; }
    const QString& program() const { return m_program; }
    // The help collection the viewer opens: collectionFile() unless set otherwise.
    void setCollection(const QString& file) { m_collection = file; }
    const QString& collection() const { return m_collection; }
    // The viewer's process. Its environment, when set before the first start, is the one
    // the viewer starts with (plus the Japanese locale).
    QProcess& process() { return m_process; }

    // Qt Assistant as installed with the Qt the program runs on, or from the search path;
    // empty when there is none.
    static QString installedProgram();
    // The help collection, installed beside the program.
    static QString collectionFile();
    // The commands that show keyword, as one line: the viewer reads a line at a time, and a
    // second line written at once would wait until something else arrives. The help gives
    // each keyword an identifier of the same text.
    static QByteArray commandLine(const QString& keyword);

private:
    QString m_program;
    QString m_collection;
    QProcess m_process;
};

}  // namespace pirumoa
