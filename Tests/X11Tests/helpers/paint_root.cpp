// Paints a position-encoding pattern on the root window and makes it the root's background, so
// every grab of the screen can be checked pixel by pixel. The background outlives this process.
//
// Pixel (x, y) = red x & 0xff, green y & 0xff, blue (x >> 8 & 0xf) << 4 | (y >> 8 & 0xf).
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "paint_root: cannot open the display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (screen->root_depth != 24) {
        std::fprintf(stderr, "paint_root: root depth %d, want 24\n", screen->root_depth);
        return 1;
    }
    const int width = screen->width_in_pixels;
    const int height = screen->height_in_pixels;
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, 24, pixmap, screen->root, uint16_t(width), uint16_t(height));
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);

    // Bands of rows small enough for one request without BIG-REQUESTS.
    const int bandRows = std::max(1, 60000 / width);
    std::vector<uint32_t> band(size_t(width) * size_t(bandRows));
    for (int top = 0; top < height; top += bandRows) {
        const int rows = std::min(bandRows, height - top);
        for (int r = 0; r < rows; ++r) {
            const int y = top + r;
            for (int x = 0; x < width; ++x) {
                const uint32_t blue = uint32_t((x >> 8) & 0xf) << 4 | uint32_t((y >> 8) & 0xf);
                band[size_t(r) * size_t(width) + size_t(x)] =
                    uint32_t(x & 0xff) << 16 | uint32_t(y & 0xff) << 8 | blue;
            }
        }
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(width), uint16_t(rows), 0,
                      int16_t(top), 0, 24, uint32_t(size_t(width) * size_t(rows) * 4),
                      reinterpret_cast<const uint8_t*>(band.data()));
    }
    xcb_change_window_attributes(c, screen->root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);
    xcb_free_pixmap(c, pixmap);
    xcb_free_gc(c, gc);
    // A round trip makes sure the server has done all of it before we leave.
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
    return 0;
}
