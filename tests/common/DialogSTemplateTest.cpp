#include "common/Dialogs.h"
#include "common/widgets/DialogSTemplate.h"
#include "tests/support/DialogPlayerScope.h"
#include "tests/support/ScriptedMessages.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct Person {
    QString name;
    int age = 0;
};

// A small dialog written the way the program's dialogs are.
class PersonDialog : public TDialogSTemplate {
public:
    explicit PersonDialog(QWidget *parent) : TDialogSTemplate(parent)
    {
        auto *layout = new QVBoxLayout(clientArea());
        m_name = new QLineEdit(clientArea());
        m_name->setObjectName(u"NameEdit"_s);
        m_age = new QSpinBox(clientArea());
        m_age->setObjectName(u"AgeSpinBox"_s);
        m_age->setRange(0, 200);
        layout->addWidget(m_name);
        layout->addWidget(m_age);
    }
    void fill(const Person &p)
    {
        m_name->setText(p.name);
        m_age->setValue(p.age);
    }
    void readBack(Person &p) const
    {
        p.name = m_name->text();
        p.age = m_age->value();
    }

protected:
    bool validate() override
    {
        if (m_name->text().trimmed().isEmpty()) {
            ShowErrorBox(u"Введите имя!"_s);
            return false;
        }
        return true;
    }

private:
    QLineEdit *m_name;
    QSpinBox *m_age;
};

} // namespace

TEST(DialogSTemplate, BottomPanelButtons)
{
    PersonDialog dialog(nullptr);
    QPushButton *ok = dialog.findChild<QPushButton *>(u"OkButton"_s);
    QPushButton *cancel = dialog.findChild<QPushButton *>(u"CancelButton"_s);
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->text(), u"ОК");
    EXPECT_EQ(ok->toolTip(), u"Сохранить изменения");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(cancel->text(), u"Отмена");
    EXPECT_EQ(cancel->toolTip(), u"Отменить изменения и закрыть окно");
    EXPECT_EQ(ok->size(), QSize(97, 25));
}

TEST(DialogSTemplate, OpensInItsFirstFieldWithOkAndCancelLastInTheTabOrder)
{
    PersonDialog dialog(nullptr);
    dialog.show();
    QApplication::processEvents();
    QWidget *name = dialog.findChild<QWidget *>(u"NameEdit"_s);
    EXPECT_EQ(dialog.focusWidget(), name);
    // Tab runs through the fields, then OK and Cancel, and back to the first field.
    std::vector<QWidget *> order;
    for (QWidget *w = name; order.size() < 4; w = w->nextInFocusChain())
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            order.push_back(w);
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order[2], dialog.okButton());
    EXPECT_EQ(order[3], dialog.cancelButton());

    // A dialog that put the focus somewhere itself keeps it there.
    PersonDialog chosen(nullptr);
    QWidget *age = chosen.findChild<QSpinBox *>(u"AgeSpinBox"_s);
    age->setFocus();
    chosen.show();
    QApplication::processEvents();
    EXPECT_TRUE(chosen.focusWidget() == age || chosen.focusWidget() == age->focusProxy());
}

TEST(DialogSTemplate, EntryRoutineFillsAndCopiesBackOnOk)
{
    Person seen;
    DialogPlayerScope player([&](TDialogSTemplate &d) {
        auto *name = d.findChild<QLineEdit *>(u"NameEdit"_s);
        auto *age = d.findChild<QSpinBox *>(u"AgeSpinBox"_s);
        seen = {name->text(), age->value()};
        name->setText(u"Пётр"_s);
        age->setValue(41);
        d.pressOk();
        return d.result();
    });
    Person p{u"Иван"_s, 30};
    EXPECT_TRUE(EditInDialog<PersonDialog>(p, nullptr));
    EXPECT_EQ(seen.name, u"Иван");
    EXPECT_EQ(seen.age, 30);
    EXPECT_EQ(p.name, u"Пётр");
    EXPECT_EQ(p.age, 41);
}

TEST(DialogSTemplate, CancelLeavesRecordUnchanged)
{
    DialogPlayerScope player([](TDialogSTemplate &d) {
        d.findChild<QLineEdit *>(u"NameEdit"_s)->setText(u"Другое"_s);
        d.cancelButton()->click();
        return d.result();
    });
    Person p{u"Иван"_s, 30};
    EXPECT_FALSE(EditInDialog<PersonDialog>(p, nullptr));
    EXPECT_EQ(p.name, u"Иван");
    EXPECT_EQ(p.age, 30);
}

TEST(DialogSTemplate, FailedValidationKeepsDialogOpen)
{
    ScriptedMessages boxes;
    PersonDialog dialog(nullptr);
    dialog.fill({u""_s, 5});
    dialog.show();
    EXPECT_FALSE(dialog.pressOk());
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Введите имя!");
    EXPECT_EQ(boxes.last().caption, u"Ошибка");

    dialog.findChild<QLineEdit *>(u"NameEdit"_s)->setText(u"Анна"_s);
    EXPECT_TRUE(dialog.pressOk());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(boxes.count(), 1);
}
