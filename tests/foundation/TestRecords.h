// Records shaped like the system's job items, lists and statuses, for the
// tests of the serialization tree and its text forms.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/SerializationInfo.h"

struct TestTarget : CSerializable {
  TestTarget() = default;
  TestTarget(std::string u, int p) : url(std::move(u)), port(p) {}

  std::string url;
  int port = 0;

  const char* GetTypeName() const override { return "TargetSite"; }
  void Serialize(CSerializationInfo& node) const override {
    node.SetName(GetTypeName());
    node.AddValue("Url", url);
    node.AddInt("Port", port);
  }
  void Deserialize(const CSerializationInfo& node) override {
    url = node.GetValue("url");
    port = node.GetInt("port");
  }
  bool operator==(const TestTarget& o) const { return url == o.url && port == o.port; }
};

struct TestItem : CSerializable {
  int id = 0;
  std::string name;
  bool enabled = false;
  std::vector<TestTarget> targets;

  const char* GetTypeName() const override { return "TestItem"; }
  void Serialize(CSerializationInfo& node) const override {
    node.SetName(GetTypeName());
    node.AddInt("ID", id);
    node.AddValue("Name", name);
    node.AddValue("Enabled", enabled ? "1" : "0");
    SerializeNamedList(node, "TargetSites", targets);
  }
  void Deserialize(const CSerializationInfo& node) override {
    id = node.GetInt("id");
    name = node.GetValue("name");
    enabled = node.GetBool("enabled");
    targets.clear();
    if (const CSerializationInfo* list = FindListChild(node, "TargetSites")) DeserializeItems(*list, &targets);
  }
  bool operator==(const TestItem& o) const {
    return id == o.id && name == o.name && enabled == o.enabled && targets == o.targets;
  }
};

struct TestItems : CSerializable {
  std::vector<std::shared_ptr<TestItem>> items;

  const char* GetTypeName() const override { return "TestItems"; }
  void Serialize(CSerializationInfo& node) const override {
    node.SetName(GetTypeName());
    node.SetArray(true);
    SerializeItems(node, items);
  }
  void Deserialize(const CSerializationInfo& node) override {
    items.clear();
    DeserializeItems(node, &items);
  }
  // Makes `count` default items.
  void Resize(size_t count) {
    while (items.size() < count) items.push_back(std::make_shared<TestItem>());
  }
};

struct TestStatus : CSerializable {
  int id = 0;
  std::string last_executed;
  int last_error = 0;

  const char* GetTypeName() const override { return "TestItemStatus"; }
  void Serialize(CSerializationInfo& node) const override {
    node.SetName(GetTypeName());
    node.AddInt("ID", id);
    node.AddValue("LastDateTimeExecuted", last_executed);
    node.AddInt("LastErrorCode", last_error);
  }
  void Deserialize(const CSerializationInfo& node) override {
    id = node.GetInt("id");
    last_executed = node.GetValue("lastdatetimeexecuted");
    last_error = node.GetInt("lasterrorcode");
  }
};

// Keeps the whole tree a reader built (a copy of names, values and shape).
struct TreeCopy : CSerializable {
  std::string text;  // "name{v=t;...}[children...]" in walk order

  const char* GetTypeName() const override { return "Tree"; }
  void Serialize(CSerializationInfo&) const override {}
  void Deserialize(const CSerializationInfo& node) override {
    text.clear();
    Append(&node);
  }
  void Append(const CSerializationInfo* node) {
    for (; node; node = node->GetNextSibling()) {
      text += node->GetName() + "{";
      for (const auto& [name, value] : node->GetOrderedValues()) text += name + "=" + value + ";";
      text += "}";
      if (node->GetFirstChild()) {
        text += "[";
        Append(node->GetFirstChild());
        text += "]";
      }
    }
  }
};
