// Picture buttons: drawing states from PNG pictures (see image_button.h).
