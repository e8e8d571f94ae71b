#include "platform/linux/window_pixels.h"

#include "platform/linux/x11_connection.h"

#include <QPointer>
#include <QSysInfo>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tk {

namespace {

// What is known of the X connection and of the windows pixels were sent to.
struct Envois {
    xcb_connection_t* connexion = nullptr;
    // The server takes 32-bit pixels in this machine's byte order, for
    // these depths (a depth's pixmap format has 32 bits a pixel).
    std::vector<uint8_t> profondeurs_32_bits;
    bool ordre_natif = false;
    uint64_t octets_par_requete = 0;
    // One graphics context per depth, made on first use and kept: it fits
    // every window of that depth on the screen.
    std::vector<std::pair<uint8_t, xcb_gcontext_t>> contextes;
    // The depth of the native windows met, by window: a window made again
    // gets another id and is asked again.
    struct Fenetre {
        QPointer<QWindow> qt;
        xcb_window_t id = 0;
        uint8_t profondeur = 0;
    };
    std::vector<Fenetre> fenetres;
    std::vector<uint8_t> tampon; // the rows of one request, packed
};

Envois* envois() {
    static Envois e;
    xcb_connection_t* c = qtX11Connection();
    if (!c || xcb_connection_has_error(c)) return nullptr;
    if (e.connexion == c) return &e;
    // A first connection, or another one (an application made again): what
    // was known of the last one goes.
    e = Envois{};
    const xcb_setup_t* setup = xcb_get_setup(c);
    e.connexion = c;
    e.ordre_natif =
        setup->image_byte_order ==
        (QSysInfo::ByteOrder == QSysInfo::LittleEndian ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST);
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->bits_per_pixel == 32 && f.data->scanline_pad <= 32) e.profondeurs_32_bits.push_back(f.data->depth);
    // In units of 4 bytes; with the big-requests extension, known from Qt's
    // own asking at start-up.
    e.octets_par_requete = uint64_t{xcb_get_maximum_request_length(c)} * 4;
    return &e;
}

// The depth of `fenetre`'s native window, asked of the server once per
// window: 0 unless its visual is true colour with red, green and blue in
// the bytes a 32-bit image of this machine has them (the backing store paints
// another image and swaps red and blue for any other visual).
uint8_t profondeur(Envois& e, QWindow* fenetre, xcb_window_t id) {
    auto& liste = e.fenetres;
    liste.erase(std::remove_if(liste.begin(), liste.end(), [](const Envois::Fenetre& f) { return f.qt.isNull(); }),
                liste.end());
    for (const Envois::Fenetre& f : liste)
        if (f.qt == fenetre && f.id == id) return f.profondeur;
    xcb_get_window_attributes_reply_t* a =
        xcb_get_window_attributes_reply(e.connexion, xcb_get_window_attributes(e.connexion, id), nullptr);
    const xcb_visualid_t visuel = a ? a->visual : 0;
    std::free(a);
    uint8_t p = 0;
    for (auto s = xcb_setup_roots_iterator(xcb_get_setup(e.connexion)); s.rem && visuel && !p; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem && !p; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == visuel) {
                    if (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xff0000 &&
                        v.data->green_mask == 0x00ff00 && v.data->blue_mask == 0x0000ff)
                        p = d.data->depth;
                    break;
                }
    // Kept also when it is 0, so that a window the sender cannot serve is
    // not asked again on every round.
    liste.erase(std::remove_if(liste.begin(), liste.end(), [&](const Envois::Fenetre& f) { return f.qt == fenetre; }),
                liste.end());
    liste.push_back({fenetre, id, p});
    return p;
}

xcb_gcontext_t contexte(Envois& e, uint8_t profondeur, xcb_window_t id) {
    for (const auto& [p, gc] : e.contextes)
        if (p == profondeur) return gc;
    const xcb_gcontext_t gc = xcb_generate_id(e.connexion);
    const uint32_t valeurs[] = {0}; // no exposure events for what a put cannot draw
    xcb_create_gc(e.connexion, gc, id, XCB_GC_GRAPHICS_EXPOSURES, valeurs);
    e.contextes.emplace_back(profondeur, gc);
    return gc;
}

} // namespace

bool sendWindowPixels(QWindow* window, const QImage& image, const std::vector<QRect>& parts) {
    if (!window || !window->handle() || image.depth() != 32 || image.devicePixelRatio() != 1.0 ||
        (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied))
        return false;
    Envois* e = envois();
    if (!e || !e->ordre_natif) return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const uint8_t p = profondeur(*e, window, id);
    if (p == 0 ||
        std::find(e->profondeurs_32_bits.begin(), e->profondeurs_32_bits.end(), p) == e->profondeurs_32_bits.end())
        return false;
    const xcb_gcontext_t gc = contexte(*e, p, id);
    const uchar* const pixels = image.constBits();
    const qsizetype bpl = image.bytesPerLine();
    // Requests stay under the server's limit: a tall rectangle goes in bands
    // of rows, and a row of the image has to fit in one.
    const uint64_t place = e->octets_par_requete > sizeof(xcb_put_image_request_t)
                               ? e->octets_par_requete - sizeof(xcb_put_image_request_t)
                               : 0;
    if (place / 4 < static_cast<uint64_t>(image.width())) return false;
    for (const QRect& r : parts) {
        const QRect z = r & image.rect();
        if (z.isEmpty()) continue;
        const size_t ligne = static_cast<size_t>(z.width()) * 4;
        const int lignes_par_requete = static_cast<int>(std::min<uint64_t>(place / ligne, 0xffff));
        for (int y = z.top(); y <= z.bottom(); y += lignes_par_requete) {
            const int n = std::min(lignes_par_requete, z.bottom() + 1 - y);
            e->tampon.resize(ligne * static_cast<size_t>(n));
            for (int k = 0; k < n; ++k)
                std::memcpy(e->tampon.data() + ligne * static_cast<size_t>(k), pixels + (y + k) * bpl + z.left() * 4,
                            ligne);
            xcb_put_image(e->connexion, XCB_IMAGE_FORMAT_Z_PIXMAP, id, gc, static_cast<uint16_t>(z.width()),
                          static_cast<uint16_t>(n), static_cast<int16_t>(z.left()), static_cast<int16_t>(y), 0, p,
                          static_cast<uint32_t>(e->tampon.size()), e->tampon.data());
        }
    }
    xcb_flush(e->connexion);
    return true;
}

} // namespace tk
