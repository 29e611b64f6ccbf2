// Factories of the simulated Outlook objects. Each returns a new object
// with one reference for the caller.
#pragma once

#include "platform/com_ptr.h"
#include "sim/outlook/host_state.h"

#include <oaidl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sw::sim {

using HostShare = std::shared_ptr<HostState>;

com_ptr<IDispatch> MakeApplication(HostShare host);
com_ptr<IDispatch> MakeNamespace(HostShare host);
com_ptr<IDispatch> MakeExplorer(HostShare host);
com_ptr<IDispatch> MakeExplorers(HostShare host);
com_ptr<IDispatch> MakeFolder(HostShare host, Folder& folder);
// Store (Outlook 2007 and later): StoreID, DisplayName, ExchangeStoreType and,
// from Outlook 2010, GetDefaultFolder.
com_ptr<IDispatch> MakeStore(HostShare host, Store& store);
// Count and Item over the folder's items as they stand at each call.
com_ptr<IDispatch> MakeFolderItems(HostShare host, Folder& folder);
// The selection as it stood when it was asked for, with its conversations.
com_ptr<IDispatch> MakeSelection(HostShare host, std::vector<Item*> items,
                                 std::vector<std::vector<Item*>> conversations = {});
// A collection (Count, Item) of these items.
com_ptr<IDispatch> MakeItemList(HostShare host, std::wstring kind, std::vector<Item*> items);
com_ptr<IDispatch> MakeItem(HostShare host, Item& item);
com_ptr<IDispatch> MakeRecipients(HostShare host, Item& item);
com_ptr<IDispatch> MakeRecipient(HostShare host, MailRecipient recipient);
// AddressEntry of a sender or recipient: Type, Address, GetExchangeUser().
com_ptr<IDispatch> MakeAddressEntry(HostShare host, MailRecipient entry);
// A message's PropertyAccessor: GetProperty answers PR_SENDER_SMTP_ADDRESS.
com_ptr<IDispatch> MakePropertyAccessor(HostShare host, Item& item);

// A collection with Count and a 1-based Item(index); an index outside
// 1..Count fails with DISP_E_BADINDEX.
com_ptr<IDispatch> MakeCollection(HostShare host, std::wstring kind, std::function<long()> count,
                                  std::function<com_ptr<IDispatch>(long index)> item);

// The mailbox folder behind a simulated folder object, or nullptr.
Folder* FolderOf(IDispatch* object) noexcept;

// Office's command bars over the explorer's CommandBarSet.
com_ptr<IDispatch> MakeCommandBars(HostShare host);
com_ptr<IDispatch> MakeCommandBar(HostShare host, std::shared_ptr<CommandBar> bar);
// `controls` shares the ownership of the bar or popup that holds the list.
com_ptr<IDispatch> MakeCommandBarControls(HostShare host,
                                          std::shared_ptr<CommandBarControls> controls);
// A CommandBarButton, CommandBarPopup or plain CommandBarControl by the control's type.
com_ptr<IDispatch> MakeCommandBarControl(HostShare host,
                                         std::shared_ptr<CommandBarControl> control);

// The model behind a simulated command bar or control object, or nullptr.
CommandBar* CommandBarOf(IDispatch* object) noexcept;
CommandBarControl* ControlOf(IDispatch* object) noexcept;

} // namespace sw::sim
