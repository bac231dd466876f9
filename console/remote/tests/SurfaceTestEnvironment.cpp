// Every test of this folder runs with start-up warnings kept rather than shown.
#include "SurfaceRig.h"
#include <gtest/gtest.h>

namespace {

class SurfaceEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { SurfaceWarnings::install(); }
};

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new SurfaceEnvironment);

} // namespace
