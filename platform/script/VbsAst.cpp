#include "platform/script/VbsAst.h"

#include <vector>

namespace vbs {

namespace {

// The nodes waiting to be freed while a Dispose loop runs on this thread.
thread_local std::vector<ExprPtr>* pending = nullptr;

}  // namespace

void Dispose(ExprPtr node)
{
    if (!node)
        return;
    if (pending) {
        pending->push_back(std::move(node));  // the running loop frees it
        return;
    }
    std::vector<ExprPtr> nodes;
    nodes.push_back(std::move(node));
    pending = &nodes;
    while (!nodes.empty()) {
        ExprPtr next = std::move(nodes.back());
        nodes.pop_back();
        next.reset();  // its children join the list
    }
    pending = nullptr;
}

}  // namespace vbs
