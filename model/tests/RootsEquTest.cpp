#include "model/RootsEqu.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Every evaluation of the functions below is recorded, in order.
std::vector<double> evaluations;

double Linear(double x) {
    evaluations.push_back(x);
    return x - 2;
}

double NoRealRoot(double x) {
    evaluations.push_back(x);
    return x * x + 1;
}

double Parabola(double x) {
    evaluations.push_back(x);
    return x * x - 4;
}

// A step: the secant from (0, -1) and (1, 1) lands on 0.5, whose value equals that of 1.
double Step(double x) {
    evaluations.push_back(x);
    return x < 0.25 ? -1 : 1;
}

double Constant(double x) {
    evaluations.push_back(x);
    return 3;
}

class RootsEquTest : public ::testing::Test {
protected:
    void SetUp() override { evaluations.clear(); }
};

TEST_F(RootsEquTest, BisectFindsRootAndLastEvaluationIsAtIt) {
    double root = -1, fRoot = -1;
    int iter = -1;
    uint8_t err = 0;
    Bisect(0, 10, 1e-6, 100, Linear, root, fRoot, iter, err);
    EXPECT_EQ(err, 0);
    EXPECT_NEAR(root, 2, 2e-6);
    EXPECT_EQ(fRoot, root - 2);
    // A, B, A again, then one evaluation per pass.
    ASSERT_EQ(evaluations.size(), size_t(3 + iter));
    EXPECT_EQ(evaluations[0], 0);
    EXPECT_EQ(evaluations[1], 10);
    EXPECT_EQ(evaluations[2], 0);
    EXPECT_EQ(evaluations.back(), root);
}

TEST_F(RootsEquTest, BisectConvergingOnTheLastAllowedPassReportsIterationLimit) {
    double root = 0, fRoot = 0;
    int iter = 0;
    uint8_t err = 0;
    Bisect(0, 10, 1e-6, 100, Linear, root, fRoot, iter, err);
    ASSERT_EQ(err, 0);
    const int passes = iter;
    double root2 = 0, fRoot2 = 0;
    int iter2 = 0;
    uint8_t err2 = 0;
    Bisect(0, 10, 1e-6, passes, Linear, root2, fRoot2, iter2, err2);
    EXPECT_EQ(err2, 1);
    EXPECT_EQ(iter2, passes);
    EXPECT_EQ(root2, root);
}

TEST_F(RootsEquTest, BisectWithoutSignChangeStopsAfterTwoEvaluations) {
    double root = 7, fRoot = 8;
    int iter = 9;
    uint8_t err = 0;
    Bisect(-1, 1, 1e-6, 100, NoRealRoot, root, fRoot, iter, err);
    EXPECT_EQ(err, 2);
    EXPECT_EQ(evaluations.size(), 2u);
    EXPECT_EQ(root, 7);
    EXPECT_EQ(fRoot, 8);
    EXPECT_EQ(iter, 9);
}

TEST_F(RootsEquTest, BisectReturnsAnEndThatIsARoot) {
    struct Case {
        double a, b;
        double root;
        size_t evaluations;
    };
    for (const Case& c : {Case{2, 10, 2, 3}, Case{0, 2, 2, 3}, Case{2, 2, 2, 4}}) {
        evaluations.clear();
        double root = 0, fRoot = 1;
        int iter = 5;
        uint8_t err = 0;
        Bisect(c.a, c.b, 1e-6, 100, Linear, root, fRoot, iter, err);
        EXPECT_EQ(err, 0);
        EXPECT_EQ(root, c.root);
        EXPECT_EQ(fRoot, 0);
        EXPECT_EQ(iter, 5);
        EXPECT_EQ(evaluations.size(), c.evaluations);
    }
}

TEST_F(RootsEquTest, BisectBadArgumentsGiveTheLastApplicableCode) {
    struct Case {
        double a, b, tol;
        int maxIter;
        uint8_t errIn, err;
    };
    const Case cases[] = {
        {0, 10, 0, 100, 0, 3},   // tolerance not positive
        {0, 10, -1, 100, 0, 3},  //
        {0, 10, 1e-6, -1, 0, 4}, // negative iteration limit
        {3, 10, 0, 100, 0, 3},   // no sign change, then tolerance: the later code wins
        {3, 10, 0, -1, 0, 4},    //
        {0, 10, 1e-6, 100, 7, 7} // an error on entry stops after the end checks
    };
    for (const Case& c : cases) {
        evaluations.clear();
        double root = 42, fRoot = 43;
        int iter = 44;
        uint8_t err = c.errIn;
        Bisect(c.a, c.b, c.tol, c.maxIter, Linear, root, fRoot, iter, err);
        EXPECT_EQ(err, c.err);
        EXPECT_EQ(root, 42);
        EXPECT_EQ(iter, 44);
        EXPECT_EQ(evaluations.size(), 2u);
    }
}

TEST_F(RootsEquTest, SecantConverges) {
    double root = 0, fRoot = 0;
    int iter = 0;
    uint8_t err = 9;
    Secant(1, 3, 1e-10, 100, Parabola, root, fRoot, iter, err);
    EXPECT_EQ(err, 0);
    EXPECT_NEAR(root, 2, 1e-9);
    EXPECT_EQ(evaluations.size(), size_t(2 + iter));
    EXPECT_EQ(evaluations.back(), root);
}

TEST_F(RootsEquTest, SecantReportsItsErrors) {
    struct Case {
        TRootFunction f;
        double x0, x1, tol;
        int maxIter;
        uint8_t err;
        double root;
        int iter;
    };
    const Case cases[] = {
        {Linear, 2, 5, 0, 100, 3, 2, 0},          // a start root, tolerance 0
        {Parabola, 1, 3, 1e-10, 0, 1, 3, 0},      // no pass allowed
        {Parabola, 1, 3, 1e-10, -1, 4, 3, 0},     // negative limit
        {Constant, 1, 3, 1e-10, 100, 2, 3, 0},    // equal start values
        {Step, 0, 1, 1e-10, 100, 2, 0.5, 1},      // equal values inside the loop
        {Parabola, -3, -1, 1e-10, 100, 0, -2, -1} // converges from the other side
    };
    for (const Case& c : cases) {
        evaluations.clear();
        double root = 0, fRoot = 0;
        int iter = -5;
        uint8_t err = 0;
        Secant(c.x0, c.x1, c.tol, c.maxIter, c.f, root, fRoot, iter, err);
        EXPECT_EQ(err, c.err) << c.x0 << " " << c.x1;
        if (c.iter >= 0) {
            EXPECT_EQ(root, c.root);
            EXPECT_EQ(iter, c.iter);
        } else {
            EXPECT_NEAR(root, c.root, 1e-9);
        }
        EXPECT_FALSE(std::isnan(root));
    }
}

} // namespace
