#pragma once

#include <spng.h>

#include <memory>

namespace iconfinder::png {

struct FreeContext {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

// A libspng context, freed with the object.
using Context = std::unique_ptr<spng_ctx, FreeContext>;

} // namespace iconfinder::png
