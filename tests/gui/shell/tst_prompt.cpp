// The prompt service itself: the real boxes and dialogs where no answer is queued, the test
// seam where one is, and the wait cursor.
#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "gui/shell/prompt.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;

namespace {

// Acts on the modal widget of type T as soon as it is up, for the span of a scope. One that
// act leaves open is closed, so nothing waits for a user.
template <class T>
class WhenShown {
public:
    explicit WhenShown(std::function<void(T*)> act) {
        QObject::connect(&m_timer, &QTimer::timeout, [this, act] {
            T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!modal) {
                if (m_deadline.hasExpired()) m_timer.stop();
                return;
            }
            m_timer.stop();
            m_found = true;
            act(modal);
            if (modal->isVisible()) modal->reject();
        });
        m_timer.start(10);
    }
    bool found() const { return m_found; }

private:
    QTimer m_timer;
    QDeadlineTimer m_deadline{5000};
    bool m_found = false;
};

}  // namespace

class PromptTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::guardPrompts(); }
    void cleanup() {
        test::guardPrompts();  // back after a test that took it away
        QVERIFY(test::promptsUsedUp());
    }

    // Without a queued answer and without a guard the user is asked: the question in
    // Japanese, No the default, the arrow while the hourglass is up.
    void questionWithoutAnAnswerIsShown() {
        Prompt::setGuard({});
        QWidget parent;
        WaitCursor wait;

        QMessageBox::Icon icon{};
        QString title, text, yes, no, defaultText;
        Qt::CursorShape cursor{};
        WhenShown<QMessageBox> first([&](QMessageBox* box) {
            icon = box->icon();
            title = box->windowTitle();
            text = box->text();
            yes = box->button(QMessageBox::Yes)->text();
            no = box->button(QMessageBox::No)->text();
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            cursor = QGuiApplication::overrideCursor()->shape();
            QTest::keyClick(box, Qt::Key_Return);  // the default
        });
        QVERIFY(!Prompt::ask(&parent, "消しますか？"));
        QVERIFY(first.found());
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(title, QString("ナンバーズ4ピルモアLite"));
        QCOMPARE(text, QString("消しますか？"));
        QCOMPARE(yes, QString("はい(&Y)"));
        QCOMPARE(no, QString("いいえ(&N)"));
        QCOMPARE(defaultText, no);
        QCOMPARE(cursor, Qt::ArrowCursor);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);

        WhenShown<QMessageBox> second(
            [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        QVERIFY(Prompt::ask(&parent, "消しますか？"));
        QVERIFY(second.found());

        // A question that only adds: the same box, Yes the default.
        WhenShown<QMessageBox> adding([&](QMessageBox* box) {
            icon = box->icon();
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(Prompt::askDefaultYes(&parent, "加えますか？"));
        QVERIFY(adding.found());
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(defaultText, yes);
    }

    void refusalWithoutAnAnswerIsShown() {
        Prompt::setGuard({});
        QWidget parent;
        QMessageBox::Icon icon{};
        QString title;
        QMessageBox::StandardButtons buttons;
        WhenShown<QMessageBox> answer([&](QMessageBox* box) {
            icon = box->icon();
            title = box->windowTitle();
            buttons = box->standardButtons();
            box->button(QMessageBox::Ok)->click();
        });
        Prompt::refuse(&parent, "できません。");
        QVERIFY(answer.found());
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(title, QString("メッセ－ジ"));
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void fileDialogWithoutANameIsShown() {
        Prompt::setGuard({});
        QTemporaryDir dir;
        const QString file = dir.filePath("in.csv");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QWidget parent;
        QString caption;
        WhenShown<QFileDialog> choose([&](QFileDialog* dialog) {
            caption = dialog->windowTitle();
            // The name put into its field, then its button; the dialog reads its list of the
            // folder on a thread of its own, so no entry of that list is clicked.
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
            QVERIFY(name && buttons);
            name->setText(file);
            buttons->button(QDialogButtonBox::Open)->click();
        });
        QCOMPARE(Prompt::openFileName(&parent, "取り込み", dir.path(), "CSV (*.csv)"), file);
        QVERIFY(choose.found());
        QCOMPARE(caption, QString("取り込み"));
    }

    // The seam: queued answers are taken in order, checked against what they expect, and
    // what is left or missing is said.
    void queuedAnswersAreCheckedAndTheGuardHearsTheRest() {
        QStringList heard;
        Prompt::setGuard([&](const QString& problem) { heard << problem; });

        Prompt::setNextAnswer(QMessageBox::Yes, test::question("消しますか？"));
        Prompt::setNextAnswer(QMessageBox::No);
        QVERIFY(Prompt::ask(nullptr, "消しますか？"));
        QVERIFY(!Prompt::ask(nullptr, "何でも"));
        QVERIFY(heard.isEmpty());

        // Another kind of message, another text, a button it does not have.
        Prompt::setNextAnswer(QMessageBox::Yes, test::questionWith({"消します"}));
        Prompt::refuse(nullptr, "できません。");
        QCOMPARE(heard.size(), 1);
        for (const char* said : {"できません。", "icon Warning", "ナンバーズ4ピルモアLite",
                                 "text with \"消します\"", "button Yes"})
            QVERIFY2(heard[0].contains(said), qPrintable(heard[0]));

        // Nothing queued: never shown, the default answers.
        heard.clear();
        QVERIFY(!Prompt::ask(nullptr, "消しますか？"));
        QCOMPARE(Prompt::openFileName(nullptr, "取り込み", {}, {}), QString());
        QVERIFY(Prompt::askDefaultYes(nullptr, "加えますか？"));
        QCOMPARE(heard.size(), 3);
        QVERIFY2(heard[0].contains("消しますか？") && heard[0].contains("answered No"),
                 qPrintable(heard[0]));
        QVERIFY2(heard[1].contains("取り込み"), qPrintable(heard[1]));
        QVERIFY2(heard[2].contains("answered Yes"), qPrintable(heard[2]));

        Prompt::setNextFileName("a.csv");
        QCOMPARE(Prompt::saveFileName(nullptr, "書き出し", {}, {}), QString("a.csv"));
        Prompt::setNextFileName("b.csv");
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"2 回分"}));
        const QStringList unused = Prompt::takeUnused();
        QCOMPARE(unused.size(), 2);
        QVERIFY2(unused[0].contains("\"2 回分\""), qPrintable(unused[0]));
        QVERIFY2(unused[1].contains("\"b.csv\""), qPrintable(unused[1]));
        QVERIFY(Prompt::takeUnused().isEmpty());
        QCOMPARE(heard.size(), 3);
    }

    // The hourglass goes up without handling what is pending: the work it covers is not
    // re-entered.
    void waitCursorHandlesNoPendingEvents() {
        bool posted = false, timer = false;
        QMetaObject::invokeMethod(
            qApp, [&] { posted = true; }, Qt::QueuedConnection);
        QTimer::singleShot(0, qApp, [&] { timer = true; });
        {
            WaitCursor wait;
            QVERIFY(QGuiApplication::overrideCursor());
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QVERIFY(!posted && !timer);
        }
        QVERIFY(!QGuiApplication::overrideCursor());
        QTRY_VERIFY(posted && timer);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    PromptTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_prompt.moc"
