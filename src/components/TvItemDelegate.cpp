#include "components/TvItemDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace goalvanta {

namespace {

// Enough for every text of many pages of a list; a sorted roster of 10000 rows
// shows new numbers on every page, so the cache must not grow with the roster.
constexpr qsizetype MaxCachedTexts = 4096;

// Fusion and Windows draw an item's text with the common style's code, which the
// cached path reproduces; any other style may draw its own, and gets the standard
// path.
bool DrawsCommonItemText(const QStyle& style) {
    const QString name = style.name();
    return name.compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0;
}

} // namespace

const QStaticText& TTvItemDelegate::Prepared(const QString& text, const QFont& font) const {
    if (font != FFont || FTexts.size() >= MaxCachedTexts) {
        FTexts.clear();
        FFont = font;
    }
    auto it = FTexts.find(text);
    if (it == FTexts.end()) {
        QStaticText prepared(text);
        prepared.setTextFormat(Qt::PlainText);
        prepared.setPerformanceHint(QStaticText::AggressiveCaching);
        prepared.prepare(QTransform(), font);
        it = FTexts.insert(text, prepared);
    }
    return *it;
}

void TTvItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    const bool plainLine =
        DrawsCommonItemText(*style) && cell.features.testFlag(QStyleOptionViewItem::HasDisplay) &&
        !cell.features.testFlag(QStyleOptionViewItem::WrapText) && !cell.text.isEmpty() &&
        !cell.text.contains(QChar::LineFeed) && !cell.text.contains(QChar::LineSeparator) &&
        !cell.state.testFlag(QStyle::State_Editing) && cell.direction == Qt::LeftToRight;
    if (!plainLine) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    // Where the style puts the text does not depend on the text: the cell less its
    // icon. The text margins are those the style draws a view item's text with.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QString text = cell.text;
    cell.text.clear();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget)
                               .adjusted(margin, 0, -margin, 0);
    const QStaticText& prepared = Prepared(text, cell.font);
    const QSizeF size = prepared.size();
    if (size.width() > textRect.width()) {
        QStyledItemDelegate::paint(painter, option, index); // elided by the style
        return;
    }

    // Everything but the text, drawn by the style.
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    // The text as the style lays out one line: across the whole text rectangle,
    // placed in it by the alignment, centred vertically on whole pixels.
    QPalette::ColorGroup group =
        cell.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !cell.state.testFlag(QStyle::State_Active))
        group = QPalette::Inactive;
    const QPalette::ColorRole role =
        cell.state.testFlag(QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
    const Qt::Alignment horizontal = cell.displayAlignment & Qt::AlignHorizontal_Mask;
    qreal x = textRect.x();
    if (horizontal.testFlag(Qt::AlignRight))
        x += textRect.width() - size.width();
    else if (horizontal.testFlag(Qt::AlignHCenter))
        x += (textRect.width() - size.width()) / 2;
    const QRect lineRect =
        QStyle::alignedRect(Qt::LeftToRight, cell.displayAlignment, size.toSize(), textRect);

    painter->save();
    painter->setClipRect(cell.rect);
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(group, role));
    painter->drawStaticText(QPointF(x, lineRect.top()), prepared);
    painter->restore();
}

} // namespace goalvanta
