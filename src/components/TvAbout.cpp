#include "components/TvAbout.h"

#include "components/TvActns.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

namespace goalvanta {

namespace {

constexpr int BoxWidth = 480;
constexpr int BoxHeight = 280;
constexpr int IconSize = 32;
constexpr int LabelLeft = 96;
constexpr int RightMargin = 8;

QLabel* MakeLabel(QWidget* parent, const char* name, int top) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    // Reach the right edge, and be at least one line of the current font high, so
    // long names and large fonts are not cut off.
    const int height = std::max(16, label->fontMetrics().height());
    label->setGeometry(LabelLeft, top, BoxWidth - RightMargin - LabelLeft, height);
    return label;
}

QLabel* MakeLinkLabel(QWidget* parent, const char* name, int top, const QString& caption) {
    QLabel* label = MakeLabel(parent, name, top);
    label->setText(caption);
    // Shown as plain text: the click is handled by the box, through the opener.
    label->setTextFormat(Qt::PlainText);
    label->setCursor(Qt::PointingHandCursor);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    label->installEventFilter(parent);
    return label;
}

} // namespace

TTvAboutBox::TTvAboutBox(QWidget* parent) : QDialog(parent) {
    setModal(true);
    setFixedSize(BoxWidth, BoxHeight);
    setSizeGripEnabled(false);

    FProgramIcon = new QLabel(this);
    FProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    FProgramIcon->setGeometry(32, 32, IconSize, IconSize);

    FProductName = MakeLabel(this, "ProductName", 16);
    FProductName->setTextFormat(Qt::PlainText);
    FCopyright = MakeLabel(this, "Copyright", 32);
    FCopyright->setTextFormat(Qt::PlainText);
    FUrl = MakeLinkLabel(this, "Url", 56, HomePage());
    FEmail = MakeLinkLabel(this, "Email", 72, EmailAddress());

    FMemo1 = new QPlainTextEdit(this);
    FMemo1->setObjectName(QStringLiteral("Memo1"));
    FMemo1->setGeometry(8, 96, 465, 145);
    FMemo1->setReadOnly(true);
    FMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    FMemo1->setPlainText(HomePage() + QLatin1Char('\n') + EmailAddress() + QLatin1Char('\n'));

    FOkButton = new QPushButton(tr("OK"), this);
    FOkButton->setObjectName(QStringLiteral("OkButton"));
    FOkButton->setGeometry(200, 248, 81, 25);
    FOkButton->setDefault(true);
    FOkButton->setFocus();
    connect(FOkButton, &QPushButton::clicked, this, &QDialog::accept);

    SetLinkHints(tr("Home page"), tr("E-mail"));
    SetProgramIcon(QGuiApplication::windowIcon());
}

void TTvAboutBox::SetCaption(const QString& caption) {
    setWindowTitle(caption);
}

void TTvAboutBox::SetProductLine(const QString& name, const QString& version) {
    FProductName->setText(tr("%1  Version %2").arg(name, version));
}

void TTvAboutBox::SetCopyright(const QString& copyright) {
    FCopyright->setText(copyright);
}

void TTvAboutBox::AppendComment(const QStringList& lines) {
    for (const QString& line : lines)
        FMemo1->appendPlainText(line);
}

void TTvAboutBox::SetLinkHints(const QString& urlHint, const QString& emailHint) {
    FUrl->setToolTip(urlHint);
    FEmail->setToolTip(emailHint);
}

void TTvAboutBox::SetProgramIcon(const QIcon& icon) {
    if (icon.isNull())
        FProgramIcon->clear();
    else
        FProgramIcon->setPixmap(icon.pixmap(IconSize, IconSize));
}

bool TTvAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && (watched == FUrl || watched == FEmail)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* label = static_cast<QLabel*>(watched);
        // Like a button: only a left click released over the link counts.
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            if (label == FUrl)
                OpenUrl(QUrl(FUrl->text()));
            else
                OpenUrl(QUrl(QStringLiteral("mailto:") + FEmail->text()));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TTvAboutBox::keyPressEvent(QKeyEvent* event) {
    // Escape closes the box like OK does: there is nothing in it to cancel.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        FOkButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TTvAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on its owner's window, frames included. The toolkit places a dialog by
    // a guess of the window frame where the platform does not report it, which puts
    // the box 10 and more pixels off; the frames are known by now.
    if (event->spontaneous() || parentWidget() == nullptr)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(parentWidget()->window()->frameGeometry().center());
    move(frame.topLeft());
}

} // namespace goalvanta
