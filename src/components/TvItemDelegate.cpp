#include "components/TvItemDelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QIcon>
#include <QPainter>
#include <QStyle>
#include <utility>

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

const TTvItemDelegate::TPreparedText& TTvItemDelegate::Prepared(const QString& text,
                                                                const QFont& font) const {
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
        // Where the glyphs ink, from the drawing origin (the top of the line): tight
        // bounds, two pixels wider on each side for antialiasing and hinting.
        const QFontMetricsF metrics(font);
        const QRectF ink =
            metrics.tightBoundingRect(text).translated(0, metrics.ascent()).adjusted(-2, -2, 2, 2);
        it = FTexts.insert(text, TPreparedText{prepared, ink});
    }
    return *it;
}

TTvItemDelegate::TLayoutKey TTvItemDelegate::TLayoutKey::Of(const QStyleOptionViewItem& cell,
                                                            const QStyle& style) {
    return {&style,
            cell.widget,
            cell.rect.size(),
            cell.features,
            cell.state,
            cell.decorationSize,
            cell.decorationPosition,
            cell.decorationAlignment,
            cell.displayAlignment,
            cell.direction,
            !cell.icon.isNull(),
            cell.viewItemPosition,
            cell.font};
}

const TTvItemDelegate::TCellLayout& TTvItemDelegate::Layout(const QStyleOptionViewItem& cell,
                                                            const QStyle& style) const {
    TLayoutKey key = TLayoutKey::Of(cell, style);
    for (const TCellLayout& layout : FLayouts)
        if (layout.Key == key)
            return layout;
    TCellLayout& layout = FLayouts[FNextLayout];
    FNextLayout = (FNextLayout + 1) % FLayouts.size();
    layout.Key = std::move(key);
    const QPoint corner = cell.rect.topLeft();
    layout.Text =
        style.subElementRect(QStyle::SE_ItemViewItemText, &cell, cell.widget).translated(-corner);
    layout.Icon = style.subElementRect(QStyle::SE_ItemViewItemDecoration, &cell, cell.widget)
                      .translated(-corner);
    return layout;
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
    const TCellLayout& layout = Layout(cell, *style);
    const QRect textArea = layout.Text.translated(cell.rect.topLeft());
    const QRect textRect = textArea.adjusted(margin, 0, -margin, 0);
    const TPreparedText& prepared = Prepared(text, cell.font);
    const QSizeF size = prepared.Text.size();
    if (size.width() > textRect.width()) {
        QStyledItemDelegate::paint(painter, option, index); // elided by the style
        return;
    }

    // Everything but the text. Fusion and Windows take an item's panel, icon and focus
    // frame unchanged from the common style; drawing them here as it does skips the
    // colours those styles work out afresh on every call, a third of a cell's cost.
    if (cell.features.testFlag(QStyleOptionViewItem::HasCheckIndicator))
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    else
        DrawPanelAndIcon(*painter, cell, *style, textArea,
                         layout.Icon.translated(cell.rect.topLeft()));

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
    const QPointF origin(x, lineRect.top());

    // The style clips each cell to its rectangle. Where every inked pixel of the text
    // lies inside the cell, the clip changes nothing and is left out, and so is the
    // painter's whole-state save: only the pen and the font are put back.
    const QPen pen = painter->pen();
    const QFont font = painter->font();
    const bool clip = !cell.rect.contains(prepared.Ink.translated(origin).toAlignedRect());
    if (clip) {
        painter->save();
        painter->setClipRect(cell.rect, Qt::IntersectClip);
    }
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(group, role));
    painter->drawStaticText(origin, prepared.Text);
    if (clip) {
        painter->restore();
    } else {
        painter->setPen(pen);
        painter->setFont(font);
    }
}

void TTvItemDelegate::DrawPanelAndIcon(QPainter& painter, const QStyleOptionViewItem& cell,
                                       const QStyle& style, const QRect& textRect,
                                       const QRect& iconRect) {
    const QWidget* widget = cell.widget;
    const bool hasFocus = cell.state.testFlag(QStyle::State_HasFocus);
    // What the style draws is clipped to the cell; only an icon larger than its cell
    // or the focus frame can reach beyond it.
    const bool clip = hasFocus || (!cell.icon.isNull() && !cell.rect.contains(iconRect));
    if (clip) {
        painter.save();
        painter.setClipRect(cell.rect, Qt::IntersectClip);
    }

    // The panel: the highlight across the cell or behind the text, else the item's
    // own background.
    QPalette::ColorGroup panelGroup =
        (widget != nullptr ? widget->isEnabled() : cell.state.testFlag(QStyle::State_Enabled))
            ? QPalette::Normal
            : QPalette::Disabled;
    if (panelGroup == QPalette::Normal && !cell.state.testFlag(QStyle::State_Active))
        panelGroup = QPalette::Inactive;
    const bool selected = cell.state.testFlag(QStyle::State_Selected);
    if (cell.showDecorationSelected && selected) {
        painter.fillRect(cell.rect, cell.palette.brush(panelGroup, QPalette::Highlight));
    } else {
        if (cell.backgroundBrush.style() != Qt::NoBrush) {
            const QPointF origin = painter.brushOrigin();
            painter.setBrushOrigin(cell.rect.topLeft());
            painter.fillRect(cell.rect, cell.backgroundBrush);
            painter.setBrushOrigin(origin);
        }
        if (selected)
            painter.fillRect(textRect, cell.palette.brush(panelGroup, QPalette::Highlight));
    }

    if (!cell.icon.isNull()) {
        QIcon::Mode mode = QIcon::Normal;
        if (!cell.state.testFlag(QStyle::State_Enabled))
            mode = QIcon::Disabled;
        else if (selected)
            mode = QIcon::Selected;
        const QIcon::State state = cell.state.testFlag(QStyle::State_Open) ? QIcon::On : QIcon::Off;
        cell.icon.paint(&painter, iconRect, cell.decorationAlignment, mode, state);
    }

    if (hasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(cell);
        focus.rect = style.subElementRect(QStyle::SE_ItemViewItemFocusRect, &cell, widget);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        const QPalette::ColorGroup group =
            cell.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        focus.backgroundColor =
            cell.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
        style.drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, widget);
    }
    if (clip)
        painter.restore();
}

} // namespace goalvanta
