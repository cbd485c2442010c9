#include "DiscImageFixtures.h"

#include <cstdlib>
#include <stdexcept>

namespace images {

std::filesystem::path FixtureDir()
{
    const char* dir = std::getenv("DISC_IMAGE_FIXTURES");
    if (dir == nullptr || *dir == '\0') {
        throw std::runtime_error("DISC_IMAGE_FIXTURES is not set: run these tests through ctest");
    }
    return dir;
}

}  // namespace images
