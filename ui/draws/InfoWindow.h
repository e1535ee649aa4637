#pragma once

#include "app/draws/DrawInfo.h"

#include <QDialog>
#include <functional>

class QSpinBox;
class QTableWidget;
class QTreeWidget;
class TTemplateMain;

// The tool window "Подробная информация": the six numbers of a draw or a combination in the number
// matrix, and the value of every graph method for them.
class TFormInfo : public QDialog {
    Q_OBJECT
public:
    TFormInfo(int matrixCols, int channelSize, QWidget *parent = nullptr);

    // Fills the card and the property list.
    void fill(const TComb &numbers, const std::vector<TInfoRow> &rows);
    // The card with another number of columns.
    void rebuildCard();

    QTableWidget *card() const { return m_sgCard; }
    QSpinBox *colsEdit() const { return m_seCols; }
    QTreeWidget *props() const { return m_lvProps; }

private:
    QTableWidget *m_sgCard;
    QSpinBox *m_seCols;
    QTreeWidget *m_lvProps;
    TComb m_numbers;
    int m_channelSize;
};

// Shows the window modally. Tests install a player that looks at the window instead; nullptr
// restores the modal window.
using InfoWindowPlayer = std::function<void(TFormInfo &window)>;
void SetInfoWindowPlayer(InfoWindowPlayer player);
void ShowInfoWindow(const TInfoSubject &subject, QWidget *parent);

// The commands of the main window that open the window: "Сведения о тираже" on the draws list (also
// a double click on a draw) and "Сведения о комбинации" on the combinations list. Returns the draws
// command.
QAction *InstallInfoWindow(TTemplateMain &window);
