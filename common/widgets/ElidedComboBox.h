#pragma once

#include <QComboBox>

// A combo box that does not grow with its longest entry: it is at least minimumChars characters wide
// (as wide as its layout makes it), shows an entry that does not fit cut short with "…", and gives the
// whole entry in its tooltip; its list opens as wide as the longest entry, within the screen.
class TElidedComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TElidedComboBox(int minimumChars, QWidget *parent = nullptr);

    // The current entry as it is shown.
    QString shownText() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QString elided(const class QStyleOptionComboBox &option) const;
};
