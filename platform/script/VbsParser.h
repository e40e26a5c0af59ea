// Turns script source into a Program. The first error ends the parse and is
// reported with its number, line and column; nothing of a program that has
// an error is run.
#pragma once

#include "platform/script/VbsAst.h"
#include "platform/script/VbsErrors.h"
#include "platform/script/VbsScanner.h"
#include "platform/script/VbsSymbols.h"

#include <functional>
#include <memory>
#include <optional>

namespace vbs {

class Parser {
public:
    Parser(std::u16string_view source, SymbolTable& symbols);
    // Hands each global statement to `global` as soon as it is parsed, and
    // returns the procedures and Option Explicit (globals left empty), or
    // nullopt with Failure() set.
    using GlobalStatement = std::function<void(StmtPtr)>;
    std::optional<Program> Parse(const GlobalStatement& global);
    // The program with its global statements.
    std::optional<Program> Parse();
    const Error& Failure() const { return error_; }

private:
    struct Abort {};
    // verbs
    void Advance();
    bool Check(Tok t) const { return cur_.type == t; }
    bool Match(Tok t);
    void Consume(Tok t, LONG errorNumber);
    [[noreturn]] void Fail(LONG number);
    [[noreturn]] void Fail(LONG number, const Token& at);
    bool AtStatementEnd() const;
    void EndStatement();
    void SkipLineEnds();
    bool CheckWord(const char* lowerWord) const;
    std::u16string TakeIdentifier();
    std::u16string TakeMemberName();
    void Enter();
    void Leave() { --depth_; }
    // Counts child in parent's height; too high a tree fails.
    void Nest(Expr& parent, const Expr* child);
    // A statement node at the current line; takes its keyword.
    template <class S>
    std::unique_ptr<S> OpenStatement()
    {
        auto stmt = std::make_unique<S>();
        stmt->line = cur_.line;
        Advance();
        return stmt;
    }

    // statements
    void ParseTopLevel(Program& program, const GlobalStatement& global);
    Block ParseBlock(std::initializer_list<Tok> terminators);
    StmtPtr ParseStatement();
    StmtPtr ParseSimpleStatement();
    std::shared_ptr<Procedure> ParseProcedure();
    StmtPtr ParseDim(Stmt::Kind kind);
    StmtPtr ParseConst();
    StmtPtr ParseIf();
    StmtPtr ParseIfBody();
    StmtPtr ParseFor();
    Block ParseForBody();
    StmtPtr ParseDo();
    StmtPtr ParseWhile();
    StmtPtr ParseSelect();
    StmtPtr ParseExit();
    StmtPtr ParseOnError();
    StmtPtr ParseAssignOrCall();
    StmtPtr ParseSet();
    StmtPtr ParseCallKeyword();
    void ExpectEnd(Tok what, LONG errorNumber);

    // expressions, lowest precedence first
    ExprPtr ParseExpression() { return ParseImp(); }
    ExprPtr ParseImp();
    ExprPtr ParseEqv();
    ExprPtr ParseXor();
    ExprPtr ParseOr();
    ExprPtr ParseAnd();
    ExprPtr ParseNot();
    ExprPtr ParseComparison();
    ExprPtr ParseConcat();
    ExprPtr ParseAdditive();
    ExprPtr ParseMod();
    ExprPtr ParseIntDiv();
    ExprPtr ParseMultiplicative();
    ExprPtr ParseUnary();
    ExprPtr ParsePrefixed(Op op, ExprPtr (Parser::*operand)());
    ExprPtr ParsePower();
    ExprPtr ParsePostfix();
    ExprPtr ParsePrimary();
    ExprPtr ParseLiteral();
    std::vector<ExprPtr> ParseParenArgs();
    std::vector<ExprPtr> ParseBareArgs();
    ExprPtr ByValue(ExprPtr e);
    // A reference to the variable or procedure name, interned.
    std::unique_ptr<NameExpr> NameAt(std::u16string name, uint32_t line);
    ExprPtr MakeBinary(Op op, ExprPtr lhs, ExprPtr rhs, uint32_t line);

    Scanner scanner_;
    std::u16string_view source_;
    SymbolTable& symbols_;
    Token cur_;
    Token next_;
    Error error_;
    int depth_ = 0;
    int loopDo_ = 0;
    int loopFor_ = 0;
    int inSub_ = 0;
    int inFunction_ = 0;
};

}  // namespace vbs
