#pragma once

#include "TessaryCore/Geometry.h"

#include <QWidget>

class QLabel;
class QTimer;

// The small floating panel that says a translation is under way: a spinning busy indicator and a
// line of text, placed above the selection (below when there is no room). It never takes focus
// and lets clicks through. After 2.5 s it explains that the first translation takes longer.
class TranslationProgressPanel : public QWidget {
    Q_OBJECT
public:
    // `selection`: the selection in global points (y up).
    explicit TranslationProgressPanel(const tessary::Rect& selection);

    // Shows the panel without activating it and starts the hint timer.
    void present();

    QString text() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Without a compositor the transparent corners would show black: the window is cut to shape.
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();

    tessary::Rect m_selection;
    QLabel* m_label = nullptr;
    QTimer* m_hintTimer = nullptr;
    QTimer* m_spinTimer = nullptr;
    int m_spinStep = 0;
};
