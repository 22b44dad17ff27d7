#pragma once
// Embeds a whole metafile in the one being recorded, its frame over a target rectangle: its
// records go between SaveDC and RestoreDC, starting from a new device context's state, with its
// own mapping folded into the page transform (so that its map modes, windows and viewports keep
// their meaning) and its object indexes moved into free slots of the outer object table.
#include "graphics/emf_handle_table.h"
#include "graphics/emf_record_builder.h"
#include "graphics/geometry.h"

#include <cstdint>
#include <functional>
#include <span>

// False, with nothing written, when the metafile is damaged or its frame or reference device is
// empty; a damaged record further on ends the embedded part early.
bool EmbedMetafile(std::span<const uint8_t> emf, const TRect& target, TEmfHandleTable& handles,
                   TEmfRecordBuilder& builder,
                   const std::function<void(std::span<const uint8_t>)>& write);
