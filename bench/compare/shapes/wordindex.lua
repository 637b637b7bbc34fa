local n = math.min(tonumber(arg[1]), 1200000)
local char, concat = string.char, table.concat
local s = 12345
local vocab = {}
for i = 1, 5000 do
  s = s * 16807 % 2147483647
  local len = 3 + s % 7
  local w = {}
  for j = 1, len do
    s = s * 16807 % 2147483647
    w[j] = char(97 + s % 26)
  end
  vocab[i] = concat(w)
end
local words = {}
for k = 1, n do
  s = s * 16807 % 2147483647
  words[k] = vocab[s % 5000 + 1]
end
local text = table.concat(words, ' ')
-- The index: each distinct word with the numbers of its occurrences.
local index, lexicon, k = {}, {}, 0
for w in text:gmatch('%S+') do
  k = k + 1
  local occ = index[w]
  if occ == nil then
    index[w] = { k }
    lexicon[#lexicon + 1] = w
  else
    occ[#occ + 1] = k
  end
end
table.sort(lexicon)
print(#lexicon, k)
