-- Drives lumospell through Neovim's built-in LSP client, set up by the
-- README's snippet, and writes what it saw to $RESULT.
local out = {}
local function finish(code)
  local f = io.open(os.getenv('RESULT'), 'w')
  f:write(table.concat(out, '\n') .. '\n')
  f:close()
  vim.cmd(code == 0 and 'qall!' or 'cquit!')
end

-- The code action menu: take the replacement with the right word.
vim.ui.select = function(items, _, on_choice)
  for i, item in ipairs(items) do
    local action = item[2] or item.action
    if action and action.title == "Replace with 'jumps'" then return on_choice(item, i) end
  end
  on_choice(nil, nil)
end

-- The README's own Neovim 0.7 set-up, which starts the client on FileType.
dofile(os.getenv('README_SNIPPET'))

vim.api.nvim_create_autocmd('VimEnter', { callback = function()
  local buf = vim.api.nvim_get_current_buf()
  vim.bo[buf].filetype = 'markdown'
  local id
  vim.wait(30000, function()
    id = next(vim.lsp.buf_get_clients(buf))
    return id ~= nil
  end, 20)
  if id == nil then
    table.insert(out, 'NOT ATTACHED')
    return finish(1)
  end
  if not vim.wait(30000, function() return #vim.diagnostic.get(buf) > 0 end, 20) then
    table.insert(out, 'NO DIAGNOSTICS')
    return finish(1)
  end
  local diagnostics = vim.diagnostic.get(buf)
  for _, d in ipairs(diagnostics) do
    table.insert(out, string.format('DIAG %d:%d-%d %s', d.lnum, d.col, d.end_col, d.source))
  end
  vim.api.nvim_win_set_cursor(0, { diagnostics[1].lnum + 1, diagnostics[1].col })
  vim.lsp.buf.code_action()
  local fixed = vim.wait(30000, function()
    return vim.api.nvim_buf_get_lines(buf, 2, 3, false)[1]:find('jumps over') ~= nil
  end, 20)
  table.insert(out, 'LINE ' .. vim.api.nvim_buf_get_lines(buf, 2, 3, false)[1])
  if not fixed then return finish(1) end
  if vim.wait(30000, function() return #vim.diagnostic.get(buf) == 0 end, 20) then
    table.insert(out, 'CLEARED')
  end
  vim.lsp.stop_client(id)
  if vim.wait(30000, function() return vim.lsp.get_client_by_id(id) == nil end, 20) then
    table.insert(out, 'STOPPED')
  end
  finish(0)
end })
