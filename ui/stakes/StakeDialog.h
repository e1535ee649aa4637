#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "app/stakes/StakeRecord.h"

class QComboBox;
class QLineEdit;
class QSpinBox;

// "Добавление ставки": first draw, the six numbers, comment, number of draws and the sum of the numbers.
class TFormStake : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormStake(QWidget *parent = nullptr);

    void fill(const TStakeRec &stake, int draws);
    // Draw number, comment and numbers (ascending); kind, sample size and profit stay the caller's.
    void readBack(TStakeRec &stake, int &draws) const;

    QSpinBox *drawEdit() const { return m_draw; }
    QLineEdit *stakeEdit() const { return m_stake; }
    QLineEdit *commentEdit() const { return m_comment; }
    QSpinBox *drawsEdit() const { return m_draws; }
    QLineEdit *sumEdit() const { return m_sum; }

protected:
    bool validate() override;

private:
    QSpinBox *m_draw;
    QLineEdit *m_stake;
    QLineEdit *m_comment;
    QSpinBox *m_draws;
    QLineEdit *m_sum;
};

// "Добавление мультиставки": first draw, comment and number of draws for many stakes at once.
class TFormMulti : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormMulti(QWidget *parent = nullptr);

    void fill(int drawNumber, int draws, const QString &comment);
    void readBack(int &drawNumber, int &draws, QString &comment) const;

    QSpinBox *drawEdit() const { return m_draw; }
    QLineEdit *commentEdit() const { return m_comment; }
    QSpinBox *drawsEdit() const { return m_draws; }

protected:
    bool validate() override;

private:
    QSpinBox *m_draw;
    QLineEdit *m_comment;
    QSpinBox *m_draws;
};

// "Удаление по условию": the condition (0 "=", 1 ">", 2 ">=", 3 "<", 4 "<=") and the number of matches.
class TFormStakeFilter : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormStakeFilter(QWidget *parent = nullptr);

    void fill(int condition, int value);
    void readBack(int &condition, int &value) const;

    QComboBox *conditionBox() const { return m_condition; }
    QSpinBox *valueEdit() const { return m_value; }

private:
    QComboBox *m_condition;
    QSpinBox *m_value;
};

// The entry routines: true on OK with the values copied back.
bool ShowStakeDialog(QWidget *parent, TStakeRec &stake, int &draws);
bool ShowMultiStakeDialog(QWidget *parent, int &drawNumber, int &draws, QString &comment);
bool ShowStakeFilterDialog(QWidget *parent, int &condition, int &value);
