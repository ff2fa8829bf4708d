// The eighteen weight coefficients: thirteen markup contexts and five word types.
#pragma once

#include <array>
#include <cstddef>

/// The coefficient set, in the order of the settings file and of its editor.
struct Coefficients {
    double koefTitle = 2;
    double koefMeta = 0.5;
    double koefForm = 0.2;
    double koefImgAlt = 0.2;
    double koefH1 = 10;
    double koefH2 = 5;
    double koefH3 = 3;
    double koefNobr = 2;
    double koefB = 2;
    double koefA = 3;
    double koefI = 1.5;
    double koefU = 1.2;
    double koefPre = 0.5;
    double koefName = 1.2;
    double koefAbbr = 1.5;
    double koefNumber = 0.5;
    double koefAlnum = 0.2;
    double koefOther = 0.1;

    static constexpr std::size_t kCount = 18;

    /// The values in file order (line 1 first).
    std::array<double, kCount> values() const {
        return {koefTitle, koefMeta, koefForm, koefImgAlt, koefH1,   koefH2,   koefH3,     koefNobr,  koefB,
                koefA,     koefI,    koefU,    koefPre,    koefName, koefAbbr, koefNumber, koefAlnum, koefOther};
    }

    /// Returns the value of file line `index` + 1 for writing.
    double& at(std::size_t index) {
        double* fields[kCount] = {&koefTitle, &koefMeta, &koefForm, &koefImgAlt, &koefH1,    &koefH2,
                                  &koefH3,    &koefNobr, &koefB,    &koefA,      &koefI,     &koefU,
                                  &koefPre,   &koefName, &koefAbbr, &koefNumber, &koefAlnum, &koefOther};
        return *fields[index];
    }
};
