#include "gui/maintenance/updatecommands.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QVBoxLayout>
#include <memory>

#include "core/store/drawstore.h"
#include "core/store/labels.h"
#include "core/store/resultsday.h"
#include "core/store/resultsupdate.h"
#include "gui/shell/prompt.h"
#include "net/updatereader.h"

namespace pirumoa {

namespace {

const QString kCaption = QStringLiteral("最新の当せん番号を取得");
const QString kNothingRead =
    QStringLiteral("当せん番号を取得できませんでした。データベースは変更していません。");

const QString kPrizesLeftOut = QStringLiteral(
    "当せん金を取り込まない回（列がずれているか誤っているため、回と当せん番号だけ"
    "を取り込みます）");

QStringList sourceLines(const UpdateReader& reader) {
    QStringList lines;
    for (const SourceOutcome& o : reader.outcomes()) {
        if (!o.ok)
            lines << QStringLiteral("× %1").arg(o.error);
        else if (o.upToDate)
            lines << QStringLiteral("○ %1：最新です").arg(o.source);
        else
            lines << QStringLiteral("○ %1：%2 回分を読み込みました")
                         .arg(o.source)
                         .arg(o.draws.size());
    }
    return lines;
}

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("<b>%1</b>").arg(text.toHtmlEscaped()), parent);
    return label;
}

QPlainTextEdit* lines(const QStringList& text, const QString& name, QWidget* parent) {
    auto* box = new QPlainTextEdit(text.join(QLatin1Char('\n')), parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    const int shown = std::min<int>(int(text.size()), 6);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * shown + 12);
    return box;
}

// The preview: each source, the new draws, the filled-in draws, the held-back draws and the
// stored draws that differ, each of those with a check box that takes the sources' value.
std::unique_ptr<QDialog> previewDialog(QWidget* parent, const UpdateReader& reader,
                                       const UpdatePlan& plan) {
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setObjectName(QStringLiteral("dlgUpdatePreview"));
    dialog->setWindowTitle(kCaption);
    auto* layout = new QVBoxLayout(dialog.get());
    layout->addWidget(heading(QStringLiteral("取得元"), dialog.get()));
    layout->addWidget(lines(sourceLines(reader), QStringLiteral("txtSources"), dialog.get()));

    QStringList added;
    for (const ImportedDraw& d : plan.added) added << drawValueText(d);
    layout->addWidget(
        heading(QStringLiteral("新しい回：%1 件").arg(plan.added.size()), dialog.get()));
    if (!added.isEmpty()) layout->addWidget(lines(added, QStringLiteral("txtAdded"), dialog.get()));
    if (!plan.filled.empty()) {
        std::vector<int> nos;
        for (const FilledDraw& f : plan.filled) nos.push_back(f.before.no);
        auto* filled = new QLabel(QStringLiteral("当せん金などを補充する回：%1 件（%2）")
                                      .arg(plan.filled.size())
                                      .arg(drawList(nos)),
                                  dialog.get());
        filled->setObjectName(QStringLiteral("lblFilled"));
        filled->setWordWrap(true);
        layout->addWidget(filled);
    }
    if (!plan.prizesLeftOut.empty()) {
        layout->addWidget(heading(kPrizesLeftOut, dialog.get()));
        layout->addWidget(
            lines(leftOutPrizeLines(plan), QStringLiteral("txtPrizesLeftOut"), dialog.get()));
    }
    if (!plan.heldBack.empty()) {
        layout->addWidget(heading(
            QStringLiteral("保留（取得元の結果が一致しないため登録しません）"), dialog.get()));
        layout->addWidget(lines(heldBackLines(plan), QStringLiteral("txtHeldBack"), dialog.get()));
    }
    if (!plan.differing.empty()) {
        layout->addWidget(heading(QStringLiteral("登録済みと異なる回（チェックした回だけ"
                                                 "取得元の値に置き換えます）"),
                                  dialog.get()));
        auto* area = new QScrollArea(dialog.get());
        auto* boxes = new QWidget(area);
        auto* column = new QVBoxLayout(boxes);
        const QStringList texts = differingLines(plan);
        for (std::size_t i = 0; i < plan.differing.size(); ++i) {
            auto* check = new QCheckBox(texts[qsizetype(i)], boxes);
            check->setObjectName(
                QStringLiteral("chkReplace%1").arg(plan.differing[i].stored.draw.no));
            column->addWidget(check);
        }
        column->addStretch();
        area->setWidget(boxes);
        area->setWidgetResizable(true);
        area->setMaximumHeight(160);
        layout->addWidget(area);
    }
    auto* buttons = new QDialogButtonBox(dialog.get());
    QPushButton* take =
        buttons->addButton(QStringLiteral("取り込む(&I)"), QDialogButtonBox::AcceptRole);
    take->setObjectName(QStringLiteral("cmdTake"));
    take->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog.get(), &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog.get(), &QDialog::reject);
    layout->addWidget(buttons);
    dialog->resize(640, dialog->sizeHint().height());
    return dialog;
}

}  // namespace

QStringList updateSources() {
    QSettings settings;
    settings.beginGroup(QLatin1String(kUpdateGroup));
    QStringList sources =
        settings.value(QLatin1String(kSourcesKey), defaultUpdateSources()).toStringList();
    if (sources.isEmpty()) sources = defaultUpdateSources();
    return sources;
}

UpdateCommands::UpdateCommands(QWidget* window, HistoryDocument& document, QStatusBar* status)
    : QObject(window), m_window(window), m_document(document), m_status(status) {}

void UpdateCommands::fetchLatest() {
    if (m_busy) return;
    m_busy = true;
    // What another program wrote counts as stored.
    m_document.refreshIfChangedOutside();
    const HistorySnapshot before = m_document.snapshot();
    UpdateReader reader;
    reader.setTimeout(m_timeoutSeconds);
    QProgressDialog progress(QStringLiteral("当せん番号を読み込んでいます…"),
                             QStringLiteral("キャンセル"), 0, 0, m_window);
    progress.setObjectName(QStringLiteral("dlgUpdateProgress"));
    progress.setWindowTitle(kCaption);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumWidth(480);
    progress.setMinimumDuration(0);
    bool finished = false, cancelled = false;
    QEventLoop loop;
    connect(&reader, &UpdateReader::reading, &progress, [&progress](const QString& url) {
        progress.setLabelText(QStringLiteral("当せん番号を読み込んでいます…\n%1").arg(url));
    });
    connect(&reader, &UpdateReader::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        cancelled = true;
        reader.cancel();
        loop.quit();
    });
    progress.show();
    reader.start(updateSources(), *before);
    // The window stays alive while the feeds are read: the progress is window-modal and
    // only it takes input.
    if (!finished && !cancelled) loop.exec();
    progress.hide();
    if (cancelled) {
        m_status->showMessage(
            QStringLiteral("当せん番号の取得を中止しました。何も変更していません。"));
        m_busy = false;
        return;
    }
    if (!reader.anyRead()) {
        QStringList errors;
        for (const SourceOutcome& o : reader.outcomes()) errors << o.error;
        Prompt::refuse(m_window, kNothingRead + QStringLiteral("\n\n") + errors.join(u'\n'));
        m_busy = false;
        return;
    }
    offer(reader, before);
    m_busy = false;
}

void UpdateCommands::offer(const UpdateReader& reader, const HistorySnapshot& before) {
    const UpdatePlan plan =
        reader.allUpToDate() ? UpdatePlan{} : planUpdate(*before, reader.sourceDraws());
    if (plan.added.empty() && plan.filled.empty() && plan.heldBack.empty() &&
        plan.differing.empty()) {
        QString text = QStringLiteral("最新です");
        if (!plan.prizesLeftOut.empty())
            text += QStringLiteral("\n\n%1\n%2")
                        .arg(kPrizesLeftOut, leftOutPrizeLines(plan).join(u'\n'));
        for (const SourceOutcome& o : reader.outcomes())
            if (!o.ok) text += QStringLiteral("\n\n") + o.error;
        Prompt::inform(m_window, text);
        return;
    }
    const std::unique_ptr<QDialog> preview = previewDialog(m_window, reader, plan);
    if (Prompt::exec(*preview) != QDialog::Accepted) return;
    std::vector<int> replace;
    for (const DifferingDraw& d : plan.differing) {
        const auto* check =
            preview->findChild<QCheckBox*>(QStringLiteral("chkReplace%1").arg(d.stored.draw.no));
        if (check && check->isChecked()) replace.push_back(d.stored.draw.no);
    }

    QStringList done;
    std::vector<int> decided;
    for (const ImportedDraw& d : plan.added) {
        done << QStringLiteral("追加 %1").arg(drawValueText(d));
        decided.push_back(d.draw.no);
    }
    for (const DifferingDraw& d : plan.differing)
        if (std::find(replace.begin(), replace.end(), d.stored.draw.no) != replace.end()) {
            done << QStringLiteral("置き換え %1").arg(drawValueText(d.replacement));
            decided.push_back(d.stored.draw.no);
        }
    if (!plan.filled.empty())
        done << QStringLiteral("当せん金などを補充 %1 件").arg(plan.filled.size());
    if (done.isEmpty()) {
        Prompt::inform(m_window,
                       QStringLiteral("取り込む回はありませんでした。何も変更していません。"));
        return;
    }
    {
        WaitCursor wait;
        QString why;
        if (!m_document.applyUpdate(plan, replace, &why)) {
            Prompt::refuse(m_window,
                           QStringLiteral("当せん番号を取り込めませんでした。何も変更していません。"
                                          "\n\n") +
                               why);
            return;
        }
    }
    QString text = QStringLiteral("最新の当せん番号を取り込みました。\n\n") + done.join(u'\n');
    if (!decided.empty()) {
        QStringList wins;
        try {
            wins = ticketWinLines(*m_document.tickets(), *m_document.snapshot(), decided);
        } catch (const StoreError& e) {
            wins << e.message();
        }
        text += QStringLiteral("\n\n") + (wins.isEmpty() ? noWinText() : wins.join(u'\n'));
    }
    if (!plan.prizesLeftOut.empty())
        text +=
            QStringLiteral("\n\n%1\n%2").arg(kPrizesLeftOut, leftOutPrizeLines(plan).join(u'\n'));
    if (!plan.heldBack.empty()) text += QStringLiteral("\n\n") + heldBackLines(plan).join(u'\n');
    Prompt::inform(m_window, text);
}

void UpdateCommands::editSettings() {
    QDialog dialog(m_window);
    dialog.setObjectName(QStringLiteral("dlgUpdateSettings"));
    dialog.setWindowTitle(QStringLiteral("当せん番号の取得元の設定"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(
        QStringLiteral("取得元（上から順に読みます。/ で終わる URL は API）(&L)"), &dialog);
    layout->addWidget(label);
    auto* row = new QHBoxLayout;
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstSources"));
    list->addItems(updateSources());
    list->setCurrentRow(0);
    label->setBuddy(list);
    row->addWidget(list, 1);
    auto* side = new QVBoxLayout;
    const auto button = [&](const QString& text, const QString& name) {
        auto* b = new QPushButton(text, &dialog);
        b->setObjectName(name);
        b->setAutoDefault(false);
        side->addWidget(b);
        return b;
    };
    QPushButton* up = button(QStringLiteral("上へ(&U)"), QStringLiteral("cmdUp"));
    QPushButton* down = button(QStringLiteral("下へ(&N)"), QStringLiteral("cmdDown"));
    QPushButton* remove = button(QStringLiteral("削除(&D)"), QStringLiteral("cmdRemove"));
    QPushButton* defaults = button(QStringLiteral("既定に戻す(&R)"), QStringLiteral("cmdDefaults"));
    side->addStretch();
    row->addLayout(side);
    layout->addLayout(row);
    auto* addRow = new QHBoxLayout;
    auto* url = new QLineEdit(&dialog);
    url->setObjectName(QStringLiteral("txtSource"));
    url->setPlaceholderText(QStringLiteral("https://…"));
    addRow->addWidget(url, 1);
    QPushButton* add = new QPushButton(QStringLiteral("追加(&A)"), &dialog);
    add->setObjectName(QStringLiteral("cmdAdd"));
    add->setAutoDefault(false);
    addRow->addWidget(add);
    layout->addLayout(addRow);
    auto* check = new QCheckBox(
        QStringLiteral("起動時に、まだ登録していない当せん番号が出ていれば確認する(&S)"), &dialog);
    check->setObjectName(QStringLiteral("chkCheckAtStart"));
    QSettings settings;
    settings.beginGroup(QLatin1String(kUpdateGroup));
    check->setChecked(settings.value(QLatin1String(kCheckAtStartKey), false).toBool());
    layout->addWidget(check);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    layout->addWidget(buttons);

    const auto move = [list](int by) {
        const int from = list->currentRow();
        const int to = from + by;
        if (from < 0 || to < 0 || to >= list->count()) return;
        list->insertItem(to, list->takeItem(from));
        list->setCurrentRow(to);
    };
    connect(up, &QPushButton::clicked, &dialog, [move] { move(-1); });
    connect(down, &QPushButton::clicked, &dialog, [move] { move(1); });
    connect(remove, &QPushButton::clicked, &dialog, [list] { delete list->currentItem(); });
    connect(defaults, &QPushButton::clicked, &dialog, [list] {
        list->clear();
        list->addItems(defaultUpdateSources());
        list->setCurrentRow(0);
    });
    connect(add, &QPushButton::clicked, &dialog, [&dialog, list, url] {
        const QString text = url->text().trimmed();
        if (text.isEmpty()) return;
        // Refused here, before it is kept: the same reasons the reading gives.
        const QString problem = urlProblem(QUrl(text));
        if (!problem.isEmpty()) {
            Prompt::refuse(&dialog, problem);
            return;
        }
        list->addItem(text);
        list->setCurrentRow(list->count() - 1);
        url->clear();
    });
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog, list] {
        if (list->count() == 0) {
            Prompt::refuse(&dialog, QStringLiteral("取得元を一つ以上指定してください。"));
            return;
        }
        dialog.accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(640, 300);
    if (Prompt::exec(dialog) != QDialog::Accepted) return;
    QStringList sources;
    for (int i = 0; i < list->count(); ++i) sources << list->item(i)->text();
    if (sources.isEmpty()) return;
    settings.setValue(QLatin1String(kSourcesKey), sources);
    settings.setValue(QLatin1String(kCheckAtStartKey), check->isChecked());
}

void UpdateCommands::checkAtStart(const QDateTime& now) {
    if (!m_document.isOpen() || !resultsMissing(*m_document.snapshot(), now)) return;
    QSettings settings;
    settings.beginGroup(QLatin1String(kUpdateGroup));
    const QVariant on = settings.value(QLatin1String(kCheckAtStartKey));
    if (!on.isValid()) {
        // Asked once; the answer can be changed in the settings of the update.
        const bool yes = Prompt::askDefaultYes(
            m_window, QStringLiteral("まだ登録していない当せん番号が出ています。\n"
                                     "起動するたびに、最新の当せん番号をインターネットで確認し"
                                     "ますか？\n（「データ管理」→「当せん番号の取得元の設定」で"
                                     "いつでも変えられます）"));
        settings.setValue(QLatin1String(kCheckAtStartKey), yes);
        if (!yes) return;
    } else if (!on.toBool()) {
        return;
    }
    startCheckRead();
}

void UpdateCommands::startCheckRead() {
    if (m_busy) return;
    m_busy = true;
    m_status->showMessage(QStringLiteral("最新の当せん番号を確認しています…"));
    m_backgroundBase = m_document.snapshot();
    m_background = new UpdateReader(this);
    m_background->setTimeout(m_timeoutSeconds);
    connect(m_background, &UpdateReader::finished, this, [this] {
        UpdateReader* reader = m_background;
        m_background = nullptr;
        reader->deleteLater();
        const HistorySnapshot before = std::exchange(m_backgroundBase, {});
        if (!reader->anyRead()) {
            // Offline, most likely: one line, never a dialog.
            QString reason;
            for (const SourceOutcome& o : reader->outcomes())
                if (!o.ok) {
                    reason = o.error;
                    break;
                }
            m_status->showMessage(
                QStringLiteral("最新の当せん番号を確認できませんでした（%1）").arg(reason));
        } else if (reader->allUpToDate() || [&] {
                       const UpdatePlan p = planUpdate(*before, reader->sourceDraws());
                       return p.added.empty() && p.filled.empty() && p.heldBack.empty() &&
                              p.differing.empty();
                   }()) {
            m_status->showMessage(QStringLiteral("当せん番号は最新です"));
        } else {
            m_status->clearMessage();
            // The database may have changed while the feeds were read: the plan is made over
            // what is stored now.
            offer(*reader, m_document.snapshot());
        }
        m_busy = false;
        emit startCheckDone();
    });
    m_background->start(updateSources(), *m_backgroundBase);
}

}  // namespace pirumoa
