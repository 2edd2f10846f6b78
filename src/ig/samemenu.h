#pragma once
// Whether two menus are the same menu, for undo (an edit that changed
// nothing) and for tests (a saved menu reads back as it was).

#include "ig/model.h"

namespace navora {

// True when a and b are equal in every field their streams carry and in the
// pixels of every object. How the bytes are held does not count: the
// resource store and the segment parts pointing into it, the writer slots,
// object_data_length and interactive_composition_data_length (both follow
// from the data when it is written), and whether an object is decoded yet.
bool sameMenu(const TIGSc& a, const TIGSc& b);

}  // namespace navora
