#include "ig/samemenu.h"

#include "ig/objects.h"

namespace navora {

namespace {

bool sameHeader(const TIGSc& a, const TIGSc& b) {
    return a.video_width == b.video_width && a.video_height == b.video_height && a.frame_rate_id == b.frame_rate_id &&
           a.composition_number == b.composition_number && a.composition_state == b.composition_state &&
           a.stream_model == b.stream_model && a.user_interface_model == b.user_interface_model &&
           a.composition_time_out_pts == b.composition_time_out_pts &&
           a.selection_time_out_pts == b.selection_time_out_pts &&
           a.user_time_out_duration == b.user_time_out_duration && a.in_time == b.in_time;
}

// The pixels of object o: its picture, or its run-length data decoded into
// holder. Null for an object too large to decode (its coded bytes stand for
// it then).
const IndexedImage* pixelsOf(const TIGSc& m, std::size_t o, IndexedImage& holder) {
    const TIGobject& obj = m.objects[o];
    if (obj.picture) return obj.picture.get();
    if (obj.width > kMaxObjectSide || obj.height > kMaxObjectSide) return nullptr;
    holder = IndexedImage(obj.width, obj.height);
    rleDecodeInto(objectCodedBytes(m, o), holder);
    return &holder;
}

bool sameObject(const TIGSc& a, const TIGSc& b, std::size_t o) {
    const TIGobject& x = a.objects[o];
    const TIGobject& y = b.objects[o];
    if (x.object_id != y.object_id || x.width != y.width || x.height != y.height || x.defined() != y.defined())
        return false;
    if (!x.defined()) return true;
    if (x.picture && x.picture == y.picture) return true;
    // Both still coded the same way in one store: the same pixels without decoding.
    if (!x.picture && !y.picture && a.resource == b.resource && x.fragments == y.fragments &&
        x.object_data_length == y.object_data_length)
        return true;
    IndexedImage hx, hy;
    const IndexedImage* px = pixelsOf(a, o, hx);
    const IndexedImage* py = pixelsOf(b, o, hy);
    if (px && py) return *px == *py;
    return !px && !py && objectCodedBytes(a, o) == objectCodedBytes(b, o);
}

}  // namespace

bool sameMenu(const TIGSc& a, const TIGSc& b) {
    if (!sameHeader(a, b) || a.pages != b.pages || a.page_buttons != b.page_buttons || a.palettes != b.palettes ||
        a.objects.size() != b.objects.size())
        return false;
    for (std::size_t o = 0; o < a.objects.size(); ++o)
        if (!sameObject(a, b, o)) return false;
    return true;
}

}  // namespace navora
