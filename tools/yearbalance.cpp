// The default year's energy balance on the console: loads the default files beside the
// program, fills the workbench's placeholder load and the PV production, runs the hourly
// balance with the project's power curve and battery, and prints totals and shares.
//
// The placeholder load is 800 W x a uniform random number per hour, as the workbench's;
// the workbench seeds the generator from the clock, this program seeds it with 0 so that
// its output is the same on every run.

#include "framework/core/SystemUtils.h"
#include "model/Data.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

namespace {

// The label padded with blanks to a width counted in characters, not bytes.
std::string Pad(const std::string& label, size_t width) {
    size_t chars = 0;
    for (unsigned char c : label)
        if ((c & 0xC0) != 0x80)
            ++chars;
    return label + std::string(width > chars ? width - chars : 0, ' ');
}

void PrintLine(const std::string& label, const std::string& value, const char* unit) {
    std::printf("%s: %s %s\n", Pad(label, 30).c_str(), value.c_str(), unit);
}

std::string KWh(double wh) {
    return Format("%12.1f", {wh / 1000});
}
std::string Percent(double share) {
    return Format("%12.2f", {share * 100});
}

int Run() {
    InitModel();
    for (const std::string& error : DefaultLoadErrors)
        std::printf("Σφάλμα ανάγνωσης: %s\n", error.c_str());

    RandSeed = 0;
    for (double& load : DemandLoad)
        load = 800 * Random();
    for (size_t i = 0; i < PVProduction.size(); ++i)
        PVProduction[i] = PVPower * PVDayProfile[i % 24];

    TSimResult r;
    Simulate(
        WindSpeed, PVProduction, DemandLoad, PwrCurve.get(), BatCapacity,
        [](int hour, double windPower, double, double, double genset, double dump, double charge) {
            WGProduction[hour] = windPower;
            GensetProduction[hour] = genset;
            Surplus[hour] = dump;
            BatteryCharge[hour] = charge;
        },
        r);

    const std::string curveName = PwrCurve->ModelName().empty() ? "-" : PwrCurve->ModelName();
    std::printf("Ανεμογεννήτρια: %s (%d σημεία καμπύλης)\n", curveName.c_str(),
                PwrCurve->PointCount());
    std::printf("Ώρες: %zu, χωρητικότητα μπαταρίας: %s Wh, Φ/Β: %s W\n\n",
                std::min({WindSpeed.size(), PVProduction.size(), DemandLoad.size()}),
                FloatToStr(BatCapacity).c_str(), FloatToStr(PVPower).c_str());
    PrintLine("Ζήτηση", KWh(r.TotLoad), "kWh");
    PrintLine("Παραγωγή (Α/Γ)", KWh(r.TotWind), "kWh");
    PrintLine("Παραγωγή (Φ/Β)", KWh(r.TotPV), "kWh");
    PrintLine("Παραγωγή (Η/Ζ)", KWh(r.TotGenset), "kWh");
    PrintLine("Περίσεια", KWh(r.TotDump), "kWh");
    PrintLine("Αρχικό φορτίο μπαταρίας", KWh(r.InitialCharge), "kWh");
    PrintLine("Τελικό φορτίο μπαταρίας", KWh(r.FinalCharge), "kWh");
    PrintLine("Κάλυψη (Α/Γ)", Percent(r.WindShare), "%");
    PrintLine("Κάλυψη (Φ/Β)", Percent(r.PVShare), "%");
    PrintLine("Κάλυψη (Η/Ζ)", Percent(r.GensetShare), "%");

    FinalizeModel();
    return 0;
}

} // namespace

int main() {
    try {
        return Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
