#pragma once

#include <QHeaderView>

namespace rz {

// A header that reports a left double-click on a section. GUI thread.
class ListHeaderCtrl : public QHeaderView {
    Q_OBJECT
public:
    explicit ListHeaderCtrl(Qt::Orientation orientation = Qt::Horizontal,
                            QWidget* parent = nullptr);

signals:
    // The logical index of the section under the double-click.
    void itemDoubleClicked(int section);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace rz
