#!/usr/bin/env python3
"""Writes the default hourly wind speeds (data/default.dat) and sunshine factors
(data/default.pph) of the sizing program.

Both are synthetic, made from a fixed seed, so running the script again reproduces the
files byte for byte. Standard library only.

    tools/gen_default_data.py [output folder]      (default: data/ beside tools/)
"""

import math
import os
import random
import sys

# Among the first seeds, one whose monthly means follow the seasonal course closely.
SEED = 74
HOURS = 8760
DAYS_IN_MONTH = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]

# Site: a windy coastal place in the Aegean, anemometer at 10 m.
LATITUDE = 38.0  # degrees north
# Solar noon falls about 0.4 h after 12:00 local standard time at 23.7° E in zone UTC+2.
SOLAR_NOON = 12.4

# Wind: Weibull climate with shape K and a scale giving a yearly mean of about 6 m/s.
WEIBULL_K = 2.0
WEIBULL_SCALE = 6.8
AR_PHI = 0.96  # hour-to-hour correlation of the weather
SEASONAL_AMPLITUDE = 0.20  # winter stronger, peak mid-January
DIURNAL_AMPLITUDE = 0.15  # afternoon stronger, peak 15:00

# Sunshine: mean share of the clear-sky yield per month (clouds), January to December.
CLEARNESS = [0.58, 0.62, 0.68, 0.74, 0.80, 0.88, 0.92, 0.91, 0.85, 0.74, 0.63, 0.57]
PERFORMANCE_RATIO = 0.85  # inverter, wiring, temperature and dirt losses
TILT = 30.0  # degrees, facing south


def normal_pair(rng):
    """Two independent standard normal numbers (Box-Muller on random(), which is
    reproducible across Python versions)."""
    u1 = 1.0 - rng.random()  # (0, 1]
    u2 = rng.random()
    r = math.sqrt(-2.0 * math.log(u1))
    return r * math.cos(2 * math.pi * u2), r * math.sin(2 * math.pi * u2)


def normal_cdf(z):
    return 0.5 * (1.0 + math.erf(z / math.sqrt(2.0)))


def wind_speeds():
    rng = random.Random(SEED)
    normals = []
    while len(normals) < HOURS + 200:
        normals.extend(normal_pair(rng))
    # AR(1) with unit variance, warmed up for 200 hours.
    z = 0.0
    innovation = math.sqrt(1.0 - AR_PHI * AR_PHI)
    series = []
    for i, e in enumerate(normals[: HOURS + 200]):
        z = AR_PHI * z + innovation * e
        if i >= 200:
            series.append(z)
    speeds = []
    for hour, z in enumerate(series):
        day = hour // 24  # 0..364
        hour_of_day = hour % 24
        u = min(normal_cdf(z), 1.0 - 1e-12)
        weibull = WEIBULL_SCALE * (-math.log(1.0 - u)) ** (1.0 / WEIBULL_K)
        seasonal = 1.0 + SEASONAL_AMPLITUDE * math.cos(2 * math.pi * (day - 14) / 365)
        diurnal = 1.0 + DIURNAL_AMPLITUDE * math.cos(2 * math.pi * (hour_of_day + 0.5 - 15) / 24)
        speeds.append(round(weibull * seasonal * diurnal, 2))
    return speeds


def plane_irradiance(day_of_year, solar_hour):
    """Clear-sky irradiance on the tilted south-facing plane, kW/m²."""
    lat = math.radians(LATITUDE)
    decl = math.radians(23.45) * math.sin(2 * math.pi * (284 + day_of_year) / 365)
    omega = math.radians(15.0 * (solar_hour - 12.0))
    cos_zenith = math.sin(lat) * math.sin(decl) + math.cos(lat) * math.cos(decl) * math.cos(omega)
    if cos_zenith <= 0.01:
        return 0.0
    air_mass = 1.0 / cos_zenith
    direct_normal = 1.353 * 0.7 ** (air_mass**0.678)
    diffuse = 0.1 * direct_normal
    # Incidence on a plane tilted towards the equator: as on a flat plane at latitude - tilt.
    eq = lat - math.radians(TILT)
    cos_incidence = math.sin(eq) * math.sin(decl) + math.cos(eq) * math.cos(decl) * math.cos(omega)
    beam = direct_normal * max(cos_incidence, 0.0)
    sky = diffuse * (1 + math.cos(math.radians(TILT))) / 2
    return beam + sky


def sunshine_factors():
    """factors[month 0..11][hour 0..23]: Wh per W of PV in that clock hour, on the
    month's middle day, rounded to four decimals."""
    factors = []
    first_day = 1
    steps = 12
    for month in range(12):
        mid_day = first_day + DAYS_IN_MONTH[month] // 2
        row = []
        for hour in range(24):
            total = 0.0
            for s in range(steps):
                clock = hour + (s + 0.5) / steps
                total += plane_irradiance(mid_day, clock - SOLAR_NOON + 12.0)
            value = total / steps * CLEARNESS[month] * PERFORMANCE_RATIO
            row.append(round(value, 4))
        factors.append(row)
        first_day += DAYS_IN_MONTH[month]
    return factors


def pph_field(x):
    """A factor in the program's fixed 23-character form: sign blank or "-", one digit,
    ".", 14 digits, "E", the exponent's sign and four digits."""
    if x == 0:
        return " 0.00000000000000E+0000"
    mantissa, exponent = f"{abs(x):.14E}".split("E")
    e = int(exponent)
    return ("-" if x < 0 else " ") + mantissa + "E" + ("-" if e < 0 else "+") + f"{abs(e):04d}"


def write_lines(path, lines):
    with open(path, "w", encoding="utf-8", newline="") as f:
        for line in lines:
            f.write(line + "\r\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "data")
    os.makedirs(out, exist_ok=True)

    speeds = wind_speeds()
    write_lines(
        os.path.join(out, "default.dat"),
        [
            "Ωριαίες ταχύτητες ανέμου ενός έτους (8760 ώρες), 1/1 00:00 έως 31/12 24:00",
            "Θέση: παράκτια περιοχή του Αιγαίου, ανεμόμετρο στα 10 m (συνθετικά δεδομένα)",
            "m/s",
        ]
        + [f"{v:.2f}" for v in speeds],
    )

    factors = sunshine_factors()
    write_lines(
        os.path.join(out, "default.pph"),
        ["".join(pph_field(factors[m][h]) for m in range(12)) for h in range(24)],
    )


if __name__ == "__main__":
    main()
