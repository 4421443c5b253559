#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QIcon;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace goalvanta {

// The About box: program icon, product line, copyright, the home-page and e-mail
// links, and a read-only note that starts with both addresses. Fixed size, modal;
// OK, Enter and Escape all close it with Accepted.
//
// The children carry the object names ProgramIcon, ProductName, Copyright, Url,
// Email, Memo1 and OkButton.
class TTvAboutBox : public QDialog {
    Q_OBJECT
public:
    static QString HomePage() { return QStringLiteral("https://goalvanta.example/"); }
    static QString EmailAddress() { return QStringLiteral("support@goalvanta.example"); }

    // Shows the application's window icon, if it has one.
    explicit TTvAboutBox(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    // "<name>  Version <version>"
    void SetProductLine(const QString& name, const QString& version);
    void SetCopyright(const QString& copyright);
    // Adds the lines below the note's current text.
    void AppendComment(const QStringList& lines);
    // Hover hints of the links; empty ones show none.
    void SetLinkHints(const QString& urlHint, const QString& emailHint);
    // A null icon shows nothing.
    void SetProgramIcon(const QIcon& icon);

    QLabel* ProgramIconLabel() const { return FProgramIcon; }
    QLabel* ProductNameLabel() const { return FProductName; }
    QLabel* CopyrightLabel() const { return FCopyright; }
    QLabel* UrlLabel() const { return FUrl; }
    QLabel* EmailLabel() const { return FEmail; }
    QPlainTextEdit* Memo1() const { return FMemo1; }
    QPushButton* OkButton() const { return FOkButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* FProgramIcon;
    QLabel* FProductName;
    QLabel* FCopyright;
    QLabel* FUrl;
    QLabel* FEmail;
    QPlainTextEdit* FMemo1;
    QPushButton* FOkButton;
};

} // namespace goalvanta
