// The small component and control tree the page-layout components are built
// from. There are no windows here: a control is a named rectangle with a
// parent, ordered children and an alignment rule, enough to describe a page.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pim {

// Integer rectangle, y growing downwards (page coordinates in points).
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }

// A named object that may own other components; owned components die with
// their owner, the most recently created first.
class TComponent {
public:
    TComponent() = default;
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    virtual const char* ClassName() const { return "TComponent"; }

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<std::size_t>(index)).get(); }
    TComponent* FindComponent(std::string_view name) const;

    // Creates a component owned by this one, e.g.
    //   auto* page = form.CreateComponent<TPRPage>("PRPage1");
    template <class T, class... Args>
    T* CreateComponent(std::string name, Args&&... args) {
        auto component = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = component.get();
        InsertComponent(std::move(component), std::move(name));
        return raw;
    }
    // Takes over a component made elsewhere.
    void InsertComponent(std::unique_ptr<TComponent> component, std::string name);

private:
    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<std::unique_ptr<TComponent>> components_;
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TWinControl;

// A rectangle placed on a parent. Bounds are relative to the parent's
// top-left corner.
class TControl : public TComponent {
public:
    TControl() = default;
    ~TControl() override;
    const char* ClassName() const override { return "TControl"; }

    TWinControl* Parent() const { return parent_; }
    // Places the control on a parent (or on none). Subclasses may refuse a
    // parent or redirect the control to another one (see ResolveParent).
    void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    TRect ClientRect() const { return {0, 0, width_, height_}; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);

protected:
    // The parent this control really goes on when `requested` is asked for;
    // raises when the parent is not allowed. The default accepts any parent.
    virtual TWinControl* ResolveParent(TWinControl* requested) { return requested; }
    // Called after the size changed.
    virtual void Resized() {}

private:
    friend class TWinControl;
    void RequestParentAlign();
    void SetBoundsFromAlign(int left, int top, int width, int height);
    // Takes the bounds; false when they are the current ones.
    bool ChangeBounds(int left, int top, int width, int height);

    TWinControl* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    TAlign align_ = TAlign::alNone;
    bool visible_ = true;
};

// A control that can hold other controls, in child-index order (the order in
// which they were placed on it), and aligns those whose Align is not none.
class TWinControl : public TControl {
public:
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(static_cast<std::size_t>(index)); }

    // Lays out the aligned children again.
    void Realign();

protected:
    // The rectangle the aligned children share; the client rectangle unless
    // a subclass narrows it.
    virtual TRect AlignRect() const { return ClientRect(); }
    void Resized() override { Realign(); }

private:
    friend class TControl;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void AlignControls(TAlign which, TRect& rect);

    std::vector<TControl*> controls_;  // borrowed; each child unlinks itself
    bool aligning_ = false;
};

// A control that cannot hold others (the printable items).
class TGraphicControl : public TControl {
public:
    const char* ClassName() const override { return "TGraphicControl"; }
};

}  // namespace pim
