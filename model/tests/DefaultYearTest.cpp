// The year a user sees first: the shipped default files, the project's start values, the
// workbench's placeholder load (800 W x a uniform random number per hour, here from seed 0)
// and the PV production from the day profile. Pins the balance's totals and shares so that a
// change to the readers, the default data or the balance shows up as a changed figure.

#include "model/Data.h"

#include "framework/core/SystemUtils.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class DefaultYearTest : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFileName(std::string(APP_DATA_DIR) + "/orvanti"); }
    void TearDown() override {
        FinalizeModel();
        SetProgramFileName("");
    }
};

TEST_F(DefaultYearTest, TotalsAndSharesOfTheDefaultData) {
    InitModel();
    ASSERT_TRUE(DefaultLoadErrors.empty()) << DefaultLoadErrors.front();
    ASSERT_EQ(WindSpeed.size(), size_t(HoursPerYear));
    EXPECT_EQ(PwrCurve->ModelName(), "ΑΓ-3000");
    EXPECT_EQ(PwrCurve->PointCount(), 21);
    EXPECT_EQ(BatCapacity, 6000);
    EXPECT_EQ(BatSafeCoef, 0.1);
    EXPECT_EQ(PVPower, 500);
    EXPECT_EQ(WindVelFactor, 1);
    EXPECT_EQ(SimParams.WGCount, 1);
    EXPECT_TRUE(SimParams.BatStartFull);

    RandSeed = 0;
    for (double& load : DemandLoad)
        load = 800 * Random();
    for (size_t i = 0; i < PVProduction.size(); ++i)
        PVProduction[i] = PVPower * PVDayProfile[i % 24];

    TSimResult r;
    int hours = 0;
    Simulate(
        WindSpeed, PVProduction, DemandLoad, PwrCurve.get(), BatCapacity,
        [&](int, double, double, double, double, double, double) { ++hours; }, r);
    EXPECT_EQ(hours, HoursPerYear);

    // kWh to one decimal, shares in per cent to two.
    EXPECT_NEAR(r.TotLoad / 1000, 3488.7, 0.05);
    EXPECT_NEAR(r.TotWind / 1000, 5550.8, 0.05);
    EXPECT_NEAR(r.TotPV / 1000, 2122.5, 0.05);
    EXPECT_NEAR(r.TotGenset / 1000, 175.9, 0.05);
    EXPECT_NEAR(r.TotDump / 1000, 4360.6, 0.05);
    EXPECT_EQ(r.InitialCharge, 6000);
    EXPECT_NEAR(r.FinalCharge / 1000, 6.0, 0.05);
    EXPECT_NEAR(r.WindShare * 100, 68.69, 0.005);
    EXPECT_NEAR(r.PVShare * 100, 26.27, 0.005);
    EXPECT_NEAR(r.GensetShare * 100, 5.04, 0.005);
    EXPECT_NEAR(r.WindShare + r.PVShare + r.GensetShare, 1, 1e-9);
}

} // namespace
