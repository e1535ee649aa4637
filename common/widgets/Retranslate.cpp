#include "common/widgets/Retranslate.h"

#include "common/Languages.h"
#include "common/Translate.h"
#include "common/widgets/ListViewModel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWidget>

namespace {

// Sets a text through its setter only when the current language gives another one.
template <class Set>
void Renew(const QString &shown, Set &&set)
{
    if (shown.isEmpty())
        return;
    const QString text = Retranslated(shown);
    if (text != shown)
        set(text);
}

// The hint a command shows when none was set: its text without "&" and a trailing ellipsis.
QString PlainCommandText(QString text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&')
                plain += text[++i];
            continue;
        }
        plain += text[i];
    }
    while (plain.endsWith(u'.'))
        plain.chop(1);
    if (plain.endsWith(QChar(0x2026)))
        plain.chop(1);
    return plain;
}

void RetranslateAction(QAction *a)
{
    // A hint that only repeats the text follows the text by itself.
    const bool ownHint = a->toolTip() != PlainCommandText(a->text());
    const QString hint = a->toolTip();
    Renew(a->text(), [a](const QString &t) { a->setText(t); });
    if (ownHint)
        Renew(hint, [a](const QString &t) { a->setToolTip(t); });
    Renew(a->statusTip(), [a](const QString &t) { a->setStatusTip(t); });
    Renew(a->whatsThis(), [a](const QString &t) { a->setWhatsThis(t); });
}

void RetranslateHeadings(QAbstractItemView *view)
{
    QAbstractItemModel *model = view->model();
    if (!model)
        return;
    if (auto *list = qobject_cast<TListViewModel *>(model)) {
        for (int c = 0; c < list->columnCount(); ++c)
            Renew(list->columnCaption(c), [list, c](const QString &t) { list->setColumnCaption(c, t); });
    } else if (auto *tree = qobject_cast<QTreeWidget *>(view)) {
        if (QTreeWidgetItem *head = tree->headerItem())
            for (int c = 0; c < head->columnCount(); ++c)
                Renew(head->text(c), [head, c](const QString &t) { head->setText(c, t); });
    } else if (auto *table = qobject_cast<QTableWidget *>(view)) {
        for (int c = 0; c < table->columnCount(); ++c)
            if (QTableWidgetItem *head = table->horizontalHeaderItem(c))
                Renew(head->text(), [head](const QString &t) { head->setText(t); });
    } else {
        // The model gives its headings in the current language when asked: ask it again.
        if (model->columnCount() > 0)
            emit model->headerDataChanged(Qt::Horizontal, 0, model->columnCount() - 1);
        // Row headings only where they show (a list of millions of rows shows none).
        auto *grid = qobject_cast<QTableView *>(view);
        if (grid && grid->verticalHeader()->isVisible() && model->rowCount() > 0)
            emit model->headerDataChanged(Qt::Vertical, 0, model->rowCount() - 1);
    }
    view->viewport()->update();
}

void RetranslateWidget(QWidget *w)
{
    if (w->isWindow())
        Renew(w->windowTitle(), [w](const QString &t) { w->setWindowTitle(t); });
    Renew(w->toolTip(), [w](const QString &t) { w->setToolTip(t); });
    Renew(w->statusTip(), [w](const QString &t) { w->setStatusTip(t); });
    Renew(w->whatsThis(), [w](const QString &t) { w->setWhatsThis(t); });

    if (auto *label = qobject_cast<QLabel *>(w)) {
        Renew(label->text(), [label](const QString &t) { label->setText(t); });
    } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        Renew(button->text(), [button](const QString &t) { button->setText(t); });
    } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
        Renew(group->title(), [group](const QString &t) { group->setTitle(t); });
    } else if (auto *menu = qobject_cast<QMenu *>(w)) {
        Renew(menu->title(), [menu](const QString &t) { menu->setTitle(t); });
    } else if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
        for (int i = 0; i < tabs->count(); ++i) {
            Renew(tabs->tabText(i), [tabs, i](const QString &t) { tabs->setTabText(i, t); });
            Renew(tabs->tabToolTip(i), [tabs, i](const QString &t) { tabs->setTabToolTip(i, t); });
        }
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        // A list the user types into holds the user's own texts.
        if (!combo->isEditable())
            for (int i = 0; i < combo->count(); ++i)
                Renew(combo->itemText(i), [combo, i](const QString &t) { combo->setItemText(i, t); });
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        Renew(edit->placeholderText(), [edit](const QString &t) { edit->setPlaceholderText(t); });
    } else if (auto *view = qobject_cast<QAbstractItemView *>(w)) {
        RetranslateHeadings(view);
    }
}

} // namespace

void RetranslateOpenWindows()
{
    if (!QApplication::instance())
        return;
    QSet<QAction *> actions;
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget *w : widgets) {
        RetranslateWidget(w);
        for (QAction *a : w->actions())
            actions.insert(a);
        if (w->isWindow())
            for (QAction *a : w->findChildren<QAction *>())
                actions.insert(a);
    }
    for (QAction *a : std::as_const(actions))
        RetranslateAction(a);
}

void InstallRetranslation()
{
    SetLanguageChangedHook(&RetranslateOpenWindows);
}
