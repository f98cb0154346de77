// Picture buttons: an ordinary button drawn from up to four PNG pictures, one
// per draw state, blended by their alpha over what lies beneath the button.
#pragma once

#include <QByteArray>
#include <optional>

class QAbstractButton;

namespace zu {

// A PNG picture, and optionally the same picture at twice the pixel size for
// screens at scale 2 (drawn at the same logical size).
struct ButtonPicture {
    QByteArray png;
    QByteArray png2x;
};

// The draw states, as the button's "Vireo_DrawState" property shows them.
enum class DrawState { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

// Takes the button over (once; a repeat only replaces pictures) and stores
// each given picture for its state. A picture that is not given keeps the one
// stored before; one that cannot be decoded leaves its state to the normal
// picture. A null button is ignored.
void SetupImageButton(QAbstractButton* button, std::optional<ButtonPicture> normal,
                      std::optional<ButtonPicture> hover = std::nullopt,
                      std::optional<ButtonPicture> pressed = std::nullopt,
                      std::optional<ButtonPicture> disabled = std::nullopt);

// The state a picture button is drawn in (Normal for any other button).
DrawState ImageButtonState(const QAbstractButton* button);

}  // namespace zu
