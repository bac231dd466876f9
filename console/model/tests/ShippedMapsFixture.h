#pragma once
// Both memory maps built once per test suite from the shipped data folder.
#include "console/model/PrmCtrl.h"
#include "console/model/tests/TestPaths.h"

#include <gtest/gtest.h>

class ShippedMapsFixture : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        multi = new CPrmCtrl;
        voice = new CPrmCtrl;
        multiOk = multi->CreatePrmCtrl(0, shippedMultiTemplate());
        voiceOk = voice->CreatePrmCtrl(1, shippedVoiceTemplate());
        voice->SetMaster(multi);
    }
    static void TearDownTestSuite()
    {
        delete voice;
        delete multi;
        voice = multi = nullptr;
    }

    static inline CPrmCtrl* multi = nullptr;
    static inline CPrmCtrl* voice = nullptr;
    static inline bool multiOk = false;
    static inline bool voiceOk = false;
};
