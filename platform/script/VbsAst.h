// The parsed program: expressions, statements and procedures. Names are
// interned to symbol ids at parse time, compared ignoring case.
#pragma once

#include "platform/com/ComSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace vbs {

using Symbol = int;

enum class Op : uint8_t {
    Neg, Not, Paren,  // Paren: an argument in parentheses, passed by value
    Pow, Mul, Div, IntDiv, Mod, Add, Sub, Concat,
    Eq, Ne, Lt, Gt, Le, Ge, Is,
    And, Or, Xor, Eqv, Imp,
};

struct Expr {
    enum class Kind : uint8_t { Literal, Name, Member, Call, Unary, Binary, Me };
    Kind kind;
    uint16_t height = 1;  // of the tree below and including this node
    uint32_t line = 0;
    explicit Expr(Kind k) : kind(k) {}
    virtual ~Expr() = default;
};
using ExprPtr = std::unique_ptr<Expr>;

// Frees a node that is no longer wanted. The composite nodes' destructors
// pass their children here, so a tree of any height is freed in a loop on
// one frame, never by recursion as deep as the tree.
void Dispose(ExprPtr node);

struct LiteralExpr : Expr {
    _variant_t value;
    LiteralExpr() : Expr(Kind::Literal) {}
};

struct NameExpr : Expr {
    Symbol symbol = 0;
    std::u16string name;  // as written
    NameExpr() : Expr(Kind::Name) {}
};

// base.name; a null base is the With object (not supported: always set).
struct MemberExpr : Expr {
    ExprPtr base;
    std::u16string name;
    MemberExpr() : Expr(Kind::Member) {}
    ~MemberExpr() override { Dispose(std::move(base)); }
};

// target(args): a call, an array index or a default-member access. A null
// argument is one left out ("f 1, , 3").
struct CallExpr : Expr {
    ExprPtr target;  // a NameExpr or a MemberExpr
    std::vector<ExprPtr> args;
    CallExpr() : Expr(Kind::Call) {}
    ~CallExpr() override
    {
        Dispose(std::move(target));
        for (ExprPtr& a : args)
            Dispose(std::move(a));
    }
};

struct UnaryExpr : Expr {
    Op op;
    ExprPtr operand;
    UnaryExpr() : Expr(Kind::Unary) {}
    ~UnaryExpr() override { Dispose(std::move(operand)); }
};

struct BinaryExpr : Expr {
    Op op;
    ExprPtr lhs, rhs;
    BinaryExpr() : Expr(Kind::Binary) {}
    ~BinaryExpr() override
    {
        Dispose(std::move(lhs));
        Dispose(std::move(rhs));
    }
};

struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

struct Stmt {
    enum class Kind : uint8_t {
        Assign, Call, If, For, ForEach, Do, While, Exit, OnError, Dim, ReDim, Const, Select, Nop,
    };
    Kind kind;
    uint32_t line = 0;
    explicit Stmt(Kind k) : kind(k) {}
    virtual ~Stmt() = default;
};

struct AssignStmt : Stmt {
    ExprPtr target;  // NameExpr, MemberExpr or CallExpr
    ExprPtr value;
    bool isSet = false;
    AssignStmt() : Stmt(Kind::Assign) {}
};

// A statement that is a call: "f a, b", "Call f(a, b)", "obj.m(a)".
struct CallStmt : Stmt {
    ExprPtr call;  // NameExpr, MemberExpr or CallExpr
    CallStmt() : Stmt(Kind::Call) {}
};

struct IfStmt : Stmt {
    std::vector<std::pair<ExprPtr, Block>> branches;  // If and ElseIf
    Block otherwise;
    IfStmt() : Stmt(Kind::If) {}
};

struct ForStmt : Stmt {
    ExprPtr variable;  // a NameExpr
    ExprPtr from, to, step;  // step may be null
    Block body;
    ForStmt() : Stmt(Kind::For) {}
};

struct ForEachStmt : Stmt {
    ExprPtr variable;
    ExprPtr group;
    Block body;
    ForEachStmt() : Stmt(Kind::ForEach) {}
};

struct DoStmt : Stmt {
    ExprPtr condition;  // may be null: loops until Exit Do
    bool until = false;     // Until instead of While
    bool atEnd = false;     // tested after the body (Loop While ...)
    Block body;
    DoStmt() : Stmt(Kind::Do) {}
};

struct WhileStmt : Stmt {
    ExprPtr condition;
    Block body;
    WhileStmt() : Stmt(Kind::While) {}
};

struct ExitStmt : Stmt {
    enum class What : uint8_t { Do, For, Sub, Function } what;
    ExitStmt() : Stmt(Kind::Exit) {}
};

struct OnErrorStmt : Stmt {
    bool resumeNext = false;
    OnErrorStmt() : Stmt(Kind::OnError) {}
};

struct DimStmt : Stmt {
    struct Variable {
        Symbol symbol;
        std::u16string name;
        bool isArray = false;
        std::vector<ExprPtr> bounds;  // upper bounds; empty with isArray: dynamic
    };
    std::vector<Variable> variables;
    bool preserve = false;  // ReDim Preserve
    DimStmt(Kind k = Kind::Dim) : Stmt(k) {}
};

struct ConstStmt : Stmt {
    std::vector<std::pair<Symbol, ExprPtr>> constants;
    ConstStmt() : Stmt(Kind::Const) {}
};

struct SelectStmt : Stmt {
    ExprPtr subject;
    std::vector<std::pair<std::vector<ExprPtr>, Block>> cases;
    Block otherwise;
    bool hasElse = false;
    SelectStmt() : Stmt(Kind::Select) {}
};

struct Procedure {
    std::u16string name;
    Symbol symbol = 0;
    bool isFunction = false;
    struct Param {
        Symbol symbol;
        bool byRef = true;
    };
    std::vector<Param> params;
    Block body;
    uint32_t line = 0;
    uint32_t endLine = 0;  // of its End Sub or End Function
    size_t module = 0;  // which added module holds its source text
};

// One piece of code as added: its global statements and procedures.
struct Program {
    Block globals;
    std::vector<std::shared_ptr<Procedure>> procedures;
    bool optionExplicit = false;
};

}  // namespace vbs
