#pragma once

#include <string>

#include <gtest/gtest.h>

// Names each case of a parameterised test after the `name` member of its row, so that a
// table's rows read as the cases they are: INSTANTIATE_TEST_SUITE_P(..., CaseName()).
struct CaseName
{
    template <typename Row>
    std::string operator()(const testing::TestParamInfo<Row>& info) const
    {
        return std::string(info.param.name);
    }
};
