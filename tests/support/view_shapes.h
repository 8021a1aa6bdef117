#pragma once

// Shapes of the window for the focus and accessibility-tree tests, and an entry known only by the
// identity those models use (issuer and serial).

#include "gfx/focus.h"
#include "npki/inventory.h"

#include <cstddef>
#include <string>
#include <utility>

inline ViewShape list_of(size_t cards, bool clean_up = false, bool notice = false)
{
    ViewShape shape;
    shape.listed = true;
    shape.card_count = cards;
    shape.clean_up = clean_up;
    shape.notice = notice;
    return shape;
}

inline ViewShape pane_of(size_t rows)
{
    ViewShape shape = list_of(3);
    shape.pane = 1;
    shape.row_count = rows;
    return shape;
}

inline CertificateEntry entry(std::string issuer, std::string serial)
{
    CertificateEntry e;
    e.info.issuer_dn = std::move(issuer);
    e.info.serial_hex = std::move(serial);
    return e;
}
