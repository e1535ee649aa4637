#pragma once

#include <QString>
#include <QStringView>
#include <memory>
#include <optional>

// The arithmetic expressions of the shredding formulas: decimal numbers ("." and an exponent "E"),
// parentheses, + - * / ^, the constants E and PI and the one-argument functions ARCTAN, COS, SIN, TAN,
// ABS, EXP, LN, LOG (decimal), SQRT, SQR (square), INT, FRAC, TRUNC, ROUND, ARCSIN, ARCCOS, SIGN and NOT
// (1 for 0, else 0). Names are compared without regard to letter case; anything else (other
// operators, other functions, commas) makes the expression invalid.
//
// An expression is parsed once; variables are bound to doubles that the caller changes between
// evaluations, so evaluating it again costs no parsing and allocates nothing.
class TFormulaEvaluator {
public:
    TFormulaEvaluator();
    ~TFormulaEvaluator();
    TFormulaEvaluator(const TFormulaEvaluator &) = delete;
    TFormulaEvaluator &operator=(const TFormulaEvaluator &) = delete;

    // Binds a variable (a lower-case name of letters and digits) to the caller's double, which must
    // outlive the evaluator. Define the variables before SetExpression.
    void DefineVariable(const char *name, double *value);
    // Parses the expression; false (and Evaluate fails from then on) when it is not a valid one.
    bool SetExpression(QStringView text);
    bool IsValid() const { return m_valid; }
    // The value of the expression for the current values of the variables; nothing when the expression
    // is invalid or its value is not a finite number (a division by zero, an overflow, a logarithm or
    // root of a negative number).
    std::optional<double> Evaluate() const;

    // One evaluation of an expression without variables.
    static std::optional<double> EvaluateText(QStringView text);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    bool m_valid = false;
};
