#pragma once
// Edits of a menu's objects and palettes. Each is a plain function on the
// model: the editor wraps it in an undo step by keeping the model from before.

#include "ig/model.h"
#include "ig/png.h"

#include <cstddef>
#include <optional>

namespace navora {

struct ImportedImage {
    std::size_t object = 0;
    std::size_t palette = 0;
};

// Takes an 8-bit indexed PNG as an object and its palette: into the object
// `replaceObject` (else a new object appended), with its colours into the
// palette `replacePalette` (else a new palette appended). The object gets the
// PNG's size and pixels, object_data_length becomes its coded length. The
// palette's entries 0..254 get the PNG's colours (Y, Cr, Cb: those of the same
// colour where the menu already shows it, else converted with the menu's
// colour matrix) and
// transparency (opaque where tRNS gives none); entries the PNG palette does
// not have, and entry 255, become black with Y, Cr, Cb 0 (255 keeps its T,
// the others are transparent).
//
// Throws UnsupportedImageError ("Not supported file format!") when the image
// is wider or higher than the menu's video size, std::out_of_range for a
// replace index that does not exist and std::length_error when no object or
// palette can be added; the menu is unchanged then.
ImportedImage importObjectImage(TIGSc& menu, const IndexedPng& png, std::optional<std::size_t> replaceObject,
                                std::optional<std::size_t> replacePalette);

}  // namespace navora
