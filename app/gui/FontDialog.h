#pragma once
#include "platform/Geometry.h"

#include <QDialog>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tavlin {

// "Set Font": the viewer's default face, size and text colour in one small dialog. Only what
// the viewer takes is offered, so picking a face never changes a style the viewer ignores.
class TFontDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinSize = 6; // the viewer takes no smaller size
    static constexpr int kMaxSize = 72;

    explicit TFontDialog(QWidget* parent = nullptr);

    void Preset(const std::string& face, int size, Color color);
    std::string Face() const;
    int Size() const;
    Color TextColor() const { return color_; }

    QComboBox* CB_Face = nullptr;
    QSpinBox* ED_Size = nullptr;
    QPushButton* BT_Color = nullptr;
    QLabel* LB_Sample = nullptr;

private:
    // Runs the colour chooser from the colour button.
    void ChooseColor();
    void SetColor(Color color);
    void ShowSample();

    Color color_ = 0;
};

} // namespace tavlin
