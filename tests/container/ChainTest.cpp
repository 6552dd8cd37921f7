#include <gtest/gtest.h>

#include <vector>

#include "container/Chain.h"

using korvane::container::Chain;
using korvane::container::Chainable;
using korvane::object::Object;

namespace {

int destroyed = 0;

class Handler : public Object, public Chainable<Handler> {
public:
    explicit Handler(int id = 0) : id(id) {}
    ~Handler() override { ++destroyed; }
    int id;
};

// Linked into two kinds of chain at once, through two different bases.
class View : public Handler, public Chainable<View> {
public:
    explicit View(int id) : Handler(id) {}
};

// Takes a sibling out of the chain while it is being destroyed.
class Greedy : public Handler {
public:
    Greedy(Chain<Handler>* chain, Handler* sibling) : chain(chain), sibling(sibling) {}
    ~Greedy() override { chain->remove(sibling); }
    Chain<Handler>* chain;
    Handler* sibling;
};

struct Parameter : Chainable<Parameter> {
    int value = 0;
};

template <typename T> std::vector<int> ids(const Chain<T>& chain) {
    std::vector<int> result;
    for (T* element : chain)
        result.push_back(element->id);
    return result;
}

} // namespace

TEST(ChainTest, HoldsACountedReferenceToEveryElement) {
    destroyed = 0;
    Chain<Handler> chain;
    auto* a = new Handler(1);
    auto* b = new Handler(2);
    auto* c = new Handler(3);
    EXPECT_TRUE(chain.append(a));
    EXPECT_TRUE(chain.append(b));
    EXPECT_TRUE(chain.append(c));
    EXPECT_EQ(ids(chain), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(chain.getFirst(), a);
    EXPECT_EQ(chain.getLast(), c);
    EXPECT_EQ(chain.getNext(a), b);
    EXPECT_EQ(chain.getNext(c), nullptr);
    EXPECT_EQ(chain.getPrevious(a), nullptr);
    EXPECT_EQ(b->getReferenceCount(), 2);

    // Appending an element that is already linked changes nothing.
    EXPECT_FALSE(chain.append(b));
    EXPECT_EQ(chain.getCount(), 3u);
    EXPECT_EQ(b->getReferenceCount(), 2);

    // The creator's references go; the chain keeps the elements alive.
    a->release();
    b->release();
    c->release();
    EXPECT_EQ(destroyed, 0);

    EXPECT_TRUE(chain.remove(b));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(ids(chain), (std::vector<int>{1, 3}));

    chain.clear();
    EXPECT_EQ(destroyed, 3);
    EXPECT_TRUE(chain.isEmpty());
    EXPECT_EQ(chain.getFirst(), nullptr);
}

TEST(ChainTest, RemovingAnElementOfAnotherChainChangesNothing) {
    Chain<Handler> first;
    Chain<Handler> second;
    auto* element = new Handler(1);
    first.append(element);
    element->release();

    EXPECT_FALSE(second.remove(element));
    EXPECT_FALSE(second.remove(nullptr));
    EXPECT_EQ(element->getChain(), &first);
    EXPECT_EQ(element->getReferenceCount(), 1);
    EXPECT_EQ(first.getCount(), 1u);
    EXPECT_EQ(second.getCount(), 0u);
    EXPECT_FALSE(second.append(element));
}

TEST(ChainTest, AnElementDestroyedElsewhereUnlinksItself) {
    destroyed = 0;
    auto* chain = new Chain<Handler>;
    auto* a = new Handler(1);
    auto* b = new Handler(2);
    auto* c = new Handler(3);
    chain->append(a);
    chain->append(b);
    chain->append(c);
    a->release();
    c->release();

    // b still has its creator's reference besides the chain's; it is deleted outright.
    delete b;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(chain->getCount(), 2u);
    EXPECT_EQ(ids(*chain), (std::vector<int>{1, 3}));
    EXPECT_EQ(chain->getNext(a), c);
    EXPECT_EQ(chain->getPrevious(c), a);

    delete chain;
    EXPECT_EQ(destroyed, 3);
}

TEST(ChainTest, AnElementMayBeInChainsOfSeveralKinds) {
    destroyed = 0;
    Chain<Handler> handlers;
    Chain<View> views;
    auto* plain = new Handler(1);
    auto* view = new View(2);
    handlers.append(plain);
    handlers.append(view);
    views.append(view);
    plain->release();
    view->release();
    EXPECT_EQ(view->getReferenceCount(), 2);

    EXPECT_EQ(handlers.getLast(), static_cast<Handler*>(view));
    EXPECT_EQ(views.getFirst(), view);
    EXPECT_EQ(ids(handlers), (std::vector<int>{1, 2}));
    EXPECT_EQ(ids(views), (std::vector<int>{2}));

    EXPECT_TRUE(views.remove(view));
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(view->Chainable<Handler>::getChain(), &handlers);
    EXPECT_EQ(view->Chainable<View>::getChain(), nullptr);

    views.append(view);
    handlers.clear();
    EXPECT_EQ(destroyed, 1);
    views.clear();
    EXPECT_EQ(destroyed, 2);
}

TEST(ChainTest, ClearSurvivesElementsThatChangeTheChainWhileDying) {
    destroyed = 0;
    {
        Chain<Handler> chain;
        auto* sibling = new Handler(2);
        auto* greedy = new Greedy(&chain, sibling);
        chain.append(greedy);
        chain.append(sibling);
        chain.append(new Handler(3));
        greedy->release();
        sibling->release();
        // The third element keeps its creator's reference too; the chain's end is owned by the test below.
        Handler* third = chain.getLast();

        chain.clear();
        EXPECT_EQ(chain.getCount(), 0u);
        EXPECT_EQ(destroyed, 2);
        EXPECT_EQ(third->getChain(), nullptr);
        third->release();
    }
    EXPECT_EQ(destroyed, 3);
}

TEST(ChainTest, LinksPlainRecordsWithoutCounting) {
    Parameter first, second;
    second.value = 2;
    {
        Chain<Parameter> chain;
        chain.append(&first);
        chain.append(&second);
        EXPECT_EQ(chain.getNext(&first)->value, 2);
        EXPECT_TRUE(chain.remove(&first));
        EXPECT_EQ(first.getChain(), nullptr);
        EXPECT_EQ(chain.getClassPath(), "Object:Chain");
    }
    EXPECT_EQ(second.getChain(), nullptr);
}
