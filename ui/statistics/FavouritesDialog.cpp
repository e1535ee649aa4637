#include "ui/statistics/FavouritesDialog.h"

#include "common/widgets/FileDialogs.h"

#include "common/BusyCursor.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/Translate.h"
#include "lottery/stats/StatList.h"
#include "ui/statistics/MethodInfoWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kGroupRole = Qt::UserRole;
constexpr int kNodeRole = Qt::UserRole + 1;
constexpr int kTickRole = Qt::UserRole + 2;

NameInputFn &nameInput()
{
    static NameInputFn fn;
    return fn;
}

NamesFileDialogFn &namesFileDialog()
{
    static NamesFileDialogFn fn;
    return fn;
}

QString NamesFilter()
{
    return Tr(u"Наименования фильтров (*.flt)");
}

bool askName(QWidget *parent, const QString &title, const QString &prompt, QString &text)
{
    if (nameInput())
        return nameInput()(parent, title, prompt, text);
    bool ok = false;
    const QString typed = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, text, &ok);
    if (ok)
        text = typed;
    return ok;
}

QString askNamesFile(QWidget *parent, bool save, const QString &folder)
{
    if (namesFileDialog())
        return namesFileDialog()(parent, save, folder);
    return RunFileDialog(parent, {NamesFilter(), save ? u"flt"_s : QString(), save, folder, {}});
}

// The tick of a method: an empty or a ticked box.
QIcon tickIcon(bool ticked)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::darkGray, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(2.5, 2.5, 11, 11));
    if (ticked) {
        painter.setPen(QPen(QColor(0, 128, 0), 2));
        painter.drawPolyline(QPolygonF({QPointF(4.5, 8), QPointF(7, 11), QPointF(12, 4.5)}));
    }
    return QIcon(pixmap);
}

// The captions of the methods, to be put back after the names of a file passed through the registry.
std::vector<QString> captionsOf(const TStatList &list)
{
    std::vector<QString> captions;
    for (int i = 0; i < list.MethodCount(); ++i)
        captions.push_back(list.GetMethod(i).Caption);
    return captions;
}

void restoreCaptions(TStatList &list, const std::vector<QString> &captions)
{
    for (int i = 0; i < list.MethodCount() && i < static_cast<int>(captions.size()); ++i)
        list.GetMethod(i).Caption = captions[size_t(i)];
}

} // namespace

void SetNameInput(NameInputFn fn)
{
    nameInput() = std::move(fn);
}

void SetNamesFileDialog(NamesFileDialogFn fn)
{
    namesFileDialog() = std::move(fn);
}

TFormManager::TFormManager(QWidget *parent, TStatList &list) : TDialogSTemplate(parent), m_list(list)
{
    setObjectName(u"FormManager"_s);
    setWindowTitle(Tr(u"Менеджер избранных методов расчета статистики"));
    QWidget *area = clientArea();

    m_tvMethods = new QTreeWidget(area);
    m_tvMethods->setObjectName(u"tvMethods"_s);
    m_tvMethods->setHeaderHidden(true);
    m_tvMethods->setColumnCount(1);
    m_tvMethods->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_lbCount = new QLabel(area);
    m_lbCount->setObjectName(u"lbCount"_s);
    m_cbOrdered = new QCheckBox(Tr(u"Сортировать списки по названию метода"), area);
    m_cbOrdered->setObjectName(u"cbOrdered"_s);
    m_cbShowGroupName = new QCheckBox(Tr(u"Отображать идентификатор группы { xxx } перед названием метода"), area);
    m_cbShowGroupName->setObjectName(u"cbShowGroupName"_s);
    m_cbShowMethodFlags = new QCheckBox(Tr(u"Отображать особенности метода [ YYY ] после названия метода"), area);
    m_cbShowMethodFlags->setObjectName(u"cbShowMethodFlags"_s);

    auto *buttons = new QVBoxLayout;
    auto button = [&](QAction *a) {
        auto *b = new QToolButton(area);
        b->setDefaultAction(a);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        buttons->addWidget(b);
        m_tvMethods->addAction(a);
    };
    button(addAction(u"CheckAll"_s, Tr(u"Выбрать все"), nullptr));
    button(addAction(u"CheckNone"_s, Tr(u"Сбросить все"), nullptr));
    button(addAction(u"GroupAll"_s, Tr(u"Выбрать группу"), nullptr));
    button(addAction(u"GroupNone"_s, Tr(u"Сбросить группу"), nullptr));
    buttons->addSpacing(8);
    button(addAction(u"Rename"_s, Tr(u"Переименовать"), &TFormManager::rename));
    button(addAction(u"ResetName"_s, Tr(u"Вернуть"), &TFormManager::resetName));
    button(addAction(u"Info"_s, Tr(u"Описание"), &TFormManager::info));
    buttons->addSpacing(8);
    button(addAction(u"NamesImport"_s, Tr(u"Импорт названий"), &TFormManager::namesImport));
    button(addAction(u"NamesExport"_s, Tr(u"Экспорт названий"), &TFormManager::namesExport));
    buttons->addStretch(1);
    connect(action(u"CheckAll"_s), &QAction::triggered, this, [this] { checkAll(true); });
    connect(action(u"CheckNone"_s), &QAction::triggered, this, [this] { checkAll(false); });
    connect(action(u"GroupAll"_s), &QAction::triggered, this, [this] { checkGroup(true); });
    connect(action(u"GroupNone"_s), &QAction::triggered, this, [this] { checkGroup(false); });

    auto *top = new QHBoxLayout;
    top->addWidget(m_tvMethods, 1);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(area);
    layout->addLayout(top, 1);
    layout->addWidget(m_lbCount);
    layout->addWidget(m_cbOrdered);
    layout->addWidget(m_cbShowGroupName);
    layout->addWidget(m_cbShowMethodFlags);

    connect(m_tvMethods, &QTreeWidget::itemClicked, this, &TFormManager::itemActivated);
    connect(m_tvMethods, &QTreeWidget::itemDoubleClicked, this, &TFormManager::itemActivated);
    connect(m_tvMethods, &QTreeWidget::currentItemChanged, this, &TFormManager::updateActions);
    resize(640, 560);
}

QAction *TFormManager::addAction(const QString &name, const QString &caption, void (TFormManager::*slot)())
{
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    if (slot)
        connect(a, &QAction::triggered, this, slot);
    m_actions.append(a);
    return a;
}

QAction *TFormManager::action(const QString &name) const
{
    for (QAction *a : m_actions)
        if (a->objectName() == name)
            return a;
    return nullptr;
}

void TFormManager::fill()
{
    SetStatusText(Tr(u"Подождите пожалуйста..."));
    m_model.build(m_list);
    showTree();
    m_lbCount->setText(Format(u"всего %d методов", {m_model.methodCount()}));
    m_cbOrdered->setChecked(m_list.Ordered);
    m_cbShowGroupName->setChecked(m_list.ShowGroupName);
    m_cbShowMethodFlags->setChecked(m_list.ShowMethodFlags);
    SetStatusText({});
    updateActions();
}

void TFormManager::readBack()
{
    m_model.apply(m_list);
    m_list.Ordered = m_cbOrdered->isChecked();
    m_list.ShowGroupName = m_cbShowGroupName->isChecked();
    m_list.ShowMethodFlags = m_cbShowMethodFlags->isChecked();
}

void TFormManager::showTree()
{
    m_tvMethods->clear();
    const QIcon groupIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const auto &groups = m_model.groups();
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        auto *groupItem = new QTreeWidgetItem(m_tvMethods, {groups[size_t(g)].caption});
        groupItem->setIcon(0, groupIcon);
        groupItem->setData(0, kGroupRole, g);
        groupItem->setData(0, kNodeRole, -1);
        for (int n = 0; n < static_cast<int>(groups[size_t(g)].nodes.size()); ++n) {
            auto *item = new QTreeWidgetItem(groupItem);
            item->setData(0, kGroupRole, g);
            item->setData(0, kNodeRole, n);
            showNode(item);
        }
    }
}

void TFormManager::showNode(QTreeWidgetItem *item)
{
    const int g = item->data(0, kGroupRole).toInt();
    const int n = item->data(0, kNodeRole).toInt();
    if (n < 0)
        return;
    const TFavouritesModel::Node &node = m_model.node(g, n);
    item->setText(0, m_model.shownText(m_list, g, n));
    item->setIcon(0, tickIcon(node.ticked));
    item->setData(0, kTickRole, node.ticked);
}

QTreeWidgetItem *TFormManager::methodItem(int method) const
{
    for (int g = 0; g < m_tvMethods->topLevelItemCount(); ++g) {
        QTreeWidgetItem *group = m_tvMethods->topLevelItem(g);
        for (int n = 0; n < group->childCount(); ++n) {
            QTreeWidgetItem *item = group->child(n);
            if (m_model.node(g, n).method == method)
                return item;
        }
    }
    return nullptr;
}

bool TFormManager::selected(int &group, int &node) const
{
    const QTreeWidgetItem *item = m_tvMethods->currentItem();
    if (!item)
        return false;
    group = item->data(0, kGroupRole).toInt();
    node = item->data(0, kNodeRole).toInt();
    return true;
}

void TFormManager::updateActions()
{
    int g = -1, n = -1;
    const bool any = selected(g, n);
    const bool method = any && n >= 0;
    action(u"CheckAll"_s)->setEnabled(!m_model.empty());
    action(u"CheckNone"_s)->setEnabled(!m_model.empty());
    action(u"GroupAll"_s)->setEnabled(any);
    action(u"GroupNone"_s)->setEnabled(any);
    action(u"Rename"_s)->setEnabled(method);
    action(u"ResetName"_s)->setEnabled(method);
    action(u"Info"_s)->setEnabled(method);
    action(u"NamesImport"_s)->setEnabled(IsNotBusy());
    action(u"NamesExport"_s)->setEnabled(IsNotBusy());
}

void TFormManager::itemActivated(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const int n = item->data(0, kNodeRole).toInt();
    if (n < 0)
        return;
    m_model.toggle(item->data(0, kGroupRole).toInt(), n);
    showNode(item);
}

void TFormManager::checkAll(bool ticked)
{
    m_model.tickAll(ticked);
    for (int g = 0; g < m_tvMethods->topLevelItemCount(); ++g)
        for (int n = 0; n < m_tvMethods->topLevelItem(g)->childCount(); ++n)
            showNode(m_tvMethods->topLevelItem(g)->child(n));
}

void TFormManager::checkGroup(bool ticked)
{
    int g = -1, n = -1;
    if (!selected(g, n))
        return;
    m_model.tickGroup(g, ticked);
    QTreeWidgetItem *group = m_tvMethods->topLevelItem(g);
    for (int i = 0; i < group->childCount(); ++i)
        showNode(group->child(i));
}

void TFormManager::rename()
{
    int g = -1, n = -1;
    if (!selected(g, n) || n < 0)
        return;
    QString text = m_model.shownText(m_list, g, n);
    if (!askName(this, Tr(u"Переименование"), Tr(u"Введите наименование фильтра:"), text))
        return;
    // A method always has a name to be listed by: no name at all means its own title.
    m_model.rename(m_list, g, n, text);
    showNode(m_tvMethods->currentItem());
}

void TFormManager::resetName()
{
    int g = -1, n = -1;
    if (!selected(g, n) || n < 0)
        return;
    m_model.resetName(m_list, g, n);
    showNode(m_tvMethods->currentItem());
}

void TFormManager::info()
{
    int g = -1, n = -1;
    if (!selected(g, n) || n < 0)
        return;
    ShowFilterHelp(m_list.GetMethod(m_model.node(g, n).method), this);
}

void TFormManager::namesImport()
{
    if (!IsNotBusy())
        return;
    const QString file = askNamesFile(this, false, GetProgramFolder());
    if (file.isEmpty())
        return;
    BusySection busy;
    // The names reach the methods only on OK: they pass through the registry into the tree here.
    const std::vector<QString> live = captionsOf(m_list);
    if (m_list.LoadFilterSettings(file, false))
        m_model.takeNames(m_list);
    restoreCaptions(m_list, live);
    for (int g = 0; g < m_tvMethods->topLevelItemCount(); ++g)
        for (int n = 0; n < m_tvMethods->topLevelItem(g)->childCount(); ++n)
            showNode(m_tvMethods->topLevelItem(g)->child(n));
}

void TFormManager::namesExport()
{
    if (!IsNotBusy())
        return;
    QString file = askNamesFile(this, true, GetProgramFolder());
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += u".flt"_s;
    BusySection busy;
    // The file gets the names of the tree; the methods keep the names they had.
    const std::vector<QString> live = captionsOf(m_list);
    m_model.applyNames(m_list);
    m_list.SaveFilterSettings(file, true, TNamedBy::User);
    restoreCaptions(m_list, live);
}

bool ShowManagerDialog(TStatList &list, QWidget *parent)
{
    TFormManager dialog(parent, list);
    dialog.fill();
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.readBack();
    return true;
}
