// The platform's 3-D edges and frame controls drawn on a canvas: DrawEdge (raised
// and sunken borders in the system's button colours) and DrawFrameControl (the
// push-button face), as the control images draw them.
#pragma once

#include "platform/core/types.h"

class TCanvas;

// Edges: an outer and an inner border, each raised or sunken.
enum : unsigned {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
};
// Which sides, and what else DrawEdge does.
enum : unsigned {
    BF_LEFT = 0x1,
    BF_TOP = 0x2,
    BF_RIGHT = 0x4,
    BF_BOTTOM = 0x8,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_MIDDLE = 0x800, // fills what lies inside the edge with clBtnFace
    BF_SOFT = 0x1000,  // the softer colours of a push button
    BF_ADJUST = 0x2000 // Rect becomes what lies inside the edge
};
// Frame controls: the kind, and the push button's states.
enum : unsigned { DFC_BUTTON = 4 };
enum : unsigned { DFCS_BUTTONPUSH = 0x10, DFCS_PUSHED = 0x200 };

// Draws the edges of Rect on the asked sides, one pixel per border, light above
// and left for a raised border, below and right for a sunken one. With
// BF_ADJUST, Rect is narrowed by the borders drawn. False for a null canvas.
bool DrawEdge(TCanvas* canvas, TRect& rect, unsigned edge, unsigned flags);
// A push button (DFC_BUTTON with DFCS_BUTTONPUSH) filling Rect: its face in
// clBtnFace inside a raised edge (a sunken one when DFCS_PUSHED). False for
// other kinds, which are not drawn.
bool DrawFrameControl(TCanvas* canvas, const TRect& rect, unsigned type, unsigned state);
