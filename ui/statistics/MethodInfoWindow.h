#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QTextBrowser;
class QUrl;
struct TStatMethod;

// The description of a statistic method: its page of the help, shown in a tool window. The help is
// kept as HTML pages (the folder named as the help file without ".chm"); the window shows the page
// itself, links to other pages of the help open in it and web links in the user's browser.
class TFormFilterHelp : public QDialog {
    Q_OBJECT
public:
    explicit TFormFilterHelp(QWidget *parent = nullptr);

    // Shows the page; false when it cannot be read.
    bool loadPage(const QString &fileName);
    QString page() const { return m_page; }
    QTextBrowser *browser() const { return m_browser; }

    void done(int result) override;

private:
    void linkClicked(const QUrl &url);

    QTextBrowser *m_browser;
    QString m_page;
};

// The page of the help that describes the method, whether it exists or not; empty while no help file
// is known.
QString MethodHelpPage(const TStatMethod &method);

// Shows the window for the method modally. Without its help page the user is told so in an error box
// and no window opens; the result is then false.
bool ShowFilterHelp(const TStatMethod &method, QWidget *parent);

// How the window is shown: exec() unless a test installs its own; nullptr restores exec().
using FilterHelpShower = std::function<void(TFormFilterHelp &window)>;
void SetFilterHelpShower(FilterHelpShower shower);
