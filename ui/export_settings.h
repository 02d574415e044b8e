#pragma once

#include "atlas/atlas.h"
#include "present/name_pattern.h"
#include "slice/slice_request.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QWidget>

#include <optional>

// How the list's regions are named, ordered and written out, each a find-icons option with
// its meaning: 이름 (--name), 순서 (--order), 여백 (--padding), 같은 크기 (--same-size), 정렬
// (--align), 기준점 (--anchor) and 애니메이션 (--animations). Name and order apply at the next
// search; the rest whenever icons or an atlas are saved.
class ExportSettings : public QWidget {
    Q_OBJECT
public:
    explicit ExportSettings(QWidget* parent = nullptr);

    QLineEdit* NameEdit;
    QComboBox* OrderBox;      // 찾은 순서, 행, 열
    QSpinBox* PaddingBox;
    QComboBox* SameSizeBox;   // 아니요, 모두, 행마다, 열마다
    QComboBox* AlignBox;
    QComboBox* AnchorBox;     // 없음, 가운데, 아래, or X,Y typed
    QComboBox* AnimationsBox; // 없음, 행마다, 열마다, 이름마다

    iconfinder::RegionOrder order() const;
    bool atDefaults() const; // the names and order the form's own search gives

    // Each throws InputError in the window's words, naming its control.
    iconfinder::NamePattern names(bool rowsAndColumns) const;
    std::optional<iconfinder::Anchor> anchor() const;
    // The crop style and, for an atlas of that layout, its anchor and animations; `lines`:
    // whether the regions lie in rows and columns (an order or a grid).
    void applyTo(iconfinder::SliceOutputs& outputs, bool lines) const;

    // The anchor as dragged on the picture, kept to hundredths.
    void setAnchor(iconfinder::Anchor anchor);

    QList<QWidget*> tabOrder() const;

signals:
    void changed(); // any setting
};
