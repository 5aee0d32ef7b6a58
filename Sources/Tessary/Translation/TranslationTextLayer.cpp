#include "Translation/TranslationTextLayer.h"

#include "Foundation/CoordinateSpace.h"
#include "Translation/Typesetter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegion>
#include <QShortcut>
#include <QTextDocument>
#include <QTextEdit>

namespace {

QColor qColor(const tessary::RgbColor& color) {
    return QColor::fromRgbF(float(color.red), float(color.green), float(color.blue));
}

} // namespace

TranslationTextLayer::TranslationTextLayer(QWidget* canvas) : QWidget(canvas) {
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    if (canvas) {
        setGeometry(canvas->rect());
    }
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    copy->setContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QShortcut::activated, this, [this] { copySelection(); });
}

void TranslationTextLayer::setTranslation(const TypesetTranslation& translation, double canvasHeight) {
    clear();
    for (const tessary::TranslationBlockLayout& layout : translation.layouts) {
        auto* view = new QTextEdit(this);
        view->setReadOnly(true);
        view->setAcceptRichText(false);
        view->setFrameStyle(QFrame::NoFrame);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setLineWrapMode(QTextEdit::WidgetWidth);
        view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        // No style sheet for the transparency: one per view costs more than the views themselves.
        view->viewport()->setAutoFillBackground(false);
        view->setAttribute(Qt::WA_TranslucentBackground);
        view->document()->setDocumentMargin(0);
        // The typesetter's sizes are in canvas points; the widget's fonts go by its screen's dpi.
        QFont font = Typesetter::font(layout.fontSize, translation.targetLanguage);
        font.setPointSizeF(layout.fontSize * 72.0 / std::max(logicalDpiY(), 1));
        view->setFont(font);
        QPalette palette = view->palette();
        palette.setColor(QPalette::Text, qColor(layout.textColor));
        palette.setColor(QPalette::Base, Qt::transparent);
        view->setPalette(palette);
        view->setPlainText(QString::fromStdString(layout.block.translatedText));
        QTextOption option = view->document()->defaultTextOption();
        option.setAlignment(Typesetter::qtAlignment(layout.alignment));
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        view->document()->setDefaultTextOption(option);
        view->setGeometry(CoordinateSpace::toWidget(layout.textRect(), canvasHeight).toAlignedRect());
        applySelectionEnabled(view);
        view->show();
        m_views.push_back(view);
    }
    updateMask();
}

void TranslationTextLayer::prepareFonts(const QString& language) {
    // Latin and an ideograph: the sans face and the CJK face the language puts first or behind it,
    // laid out as the views lay out their words. (Other scripts would load faces the views may
    // never need.)
    QTextDocument document;
    document.setDefaultFont(Typesetter::font(14, language));
    document.setPlainText(QStringLiteral("Aa 文"));
    (void)document.size();
}

void TranslationTextLayer::setClip(const QRect& clip) {
    m_clip = clip;
    updateMask();
}

void TranslationTextLayer::updateMask() {
    // Only the words take presses; everywhere else they go straight to the canvas (a press that
    // the layer merely passed on would leave the rest of the drag with the layer). The mask also
    // clips what the views paint.
    QRegion words;
    for (const QTextEdit* view : m_views) {
        words += view->geometry();
    }
    if (m_clip) {
        words &= *m_clip;
    }
    // An empty mask would mean no mask at all.
    setMask(words.isEmpty() ? QRegion(0, 0, 1, 1) : words);
}

void TranslationTextLayer::clear() {
    for (QTextEdit* view : m_views) {
        delete view;
    }
    m_views.clear();
}

void TranslationTextLayer::setSelectionEnabled(bool enabled) {
    if (m_selectionEnabled == enabled) {
        return;
    }
    m_selectionEnabled = enabled;
    setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
    for (QTextEdit* view : m_views) {
        applySelectionEnabled(view);
    }
}

void TranslationTextLayer::applySelectionEnabled(QTextEdit* view) {
    view->setAttribute(Qt::WA_TransparentForMouseEvents, !m_selectionEnabled);
    view->viewport()->setAttribute(Qt::WA_TransparentForMouseEvents, !m_selectionEnabled);
    view->setTextInteractionFlags(m_selectionEnabled
                                      ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                      : Qt::NoTextInteraction);
    if (!m_selectionEnabled) {
        QTextCursor cursor = view->textCursor();
        cursor.clearSelection();
        view->setTextCursor(cursor);
    }
}

QString TranslationTextLayer::selectedText() const {
    for (const QTextEdit* view : m_views) {
        if (view->textCursor().hasSelection()) {
            return view->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        }
    }
    return {};
}

void TranslationTextLayer::copySelection() const {
    const QString text = selectedText();
    if (!text.isEmpty()) {
        QGuiApplication::clipboard()->setText(text);
    }
}
