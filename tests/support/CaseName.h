#pragma once

#include <gtest/gtest.h>

#include <string>

namespace tervalo::test {

// Names each instance of a parameterised test after the `name` member of its case.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& caseInfo) const {
        return caseInfo.param.name;
    }
};

}  // namespace tervalo::test
