#include "optics/engine.h"

#include <algorithm>

namespace optics {

std::unique_ptr<Engine> Engine::Create()
{
    // Value-initialisation zeroes every array before the member initialisers
    // set the scalar start values.
    return std::unique_ptr<Engine>(new Engine());
}

void ClearGrid(const Engine& engine, Grid& g)
{
    CopyGrid(engine.ZeroGrid, g);
}

void CopyGrid(const Grid& from, Grid& to)
{
    if (&from != &to)
        std::copy(from.cells.begin(), from.cells.end(), to.cells.begin());
}

}  // namespace optics
