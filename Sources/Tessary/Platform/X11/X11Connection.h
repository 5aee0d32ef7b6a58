#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QRect>
#include <QRectF>
#include <QString>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <optional>

class QScreen;

// Qt's own xcb connection plus the few helpers every X11 service needs: atoms, property reads and
// the mapping from X's pixel coordinates to Qt's logical ones.
class X11Connection {
public:
    // Null when the application is not on an X server.
    static std::shared_ptr<X11Connection> fromApplication();

    X11Connection(xcb_connection_t* connection, xcb_window_t root);

    xcb_connection_t* connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }

    // Interns (once) and returns the atom; XCB_ATOM_NONE if the server refused.
    xcb_atom_t atom(const char* name);
    // Interns several atoms in one round trip.
    void preloadAtoms(const QList<const char*>& names);
    QString atomName(xcb_atom_t atom);

    // The whole property as 32-bit items of the given type; empty when absent or of another type/format.
    std::optional<QList<quint32>> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);
    // The whole property as bytes (8-bit format of the given type); empty when absent.
    std::optional<QByteArray> bytes(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);

    // The same in two halves, so many reads can be in flight at once.
    xcb_get_property_cookie_t requestProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);
    std::optional<QList<quint32>> cardinalsReply(xcb_get_property_cookie_t cookie, xcb_atom_t type);
    std::optional<QByteArray> bytesReply(xcb_get_property_cookie_t cookie, xcb_atom_t type);

    // Where a screen's pixels lie in X's coordinates: Qt keeps a screen's top-left and divides its
    // size by the device pixel ratio.
    static QRect nativeGeometry(const QScreen* screen);
    // An X pixel rectangle in Qt's global logical coordinates, through the screen holding its centre.
    static QRectF toLogical(const QRect& native);

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    QHash<QByteArray, xcb_atom_t> m_atoms;
};

// Owning pointer for xcb replies (malloc'ed by libxcb).
template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> XcbReply<T> xcbReply(T* reply) {
    return XcbReply<T>(reply, &std::free);
}
